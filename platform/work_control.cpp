#include "platform/work_control.h"

namespace kest {
namespace {
std::atomic<int> g_stop_flag{0};
}

void PauseGate::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
}

void PauseGate::Open() {
  {
    std::lock_guard lock(mutex_);
    closed_ = false;
  }
  opened_.notify_all();
}

bool PauseGate::IsClosed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool PauseGate::Pass() {
  std::unique_lock lock(mutex_);
  if (!closed_) return false;
  opened_.wait(lock, [this] { return !closed_; });
  return true;
}

int StopFlag() { return g_stop_flag.load(std::memory_order_relaxed); }

void SetStopFlag(int value) { g_stop_flag.store(value ? 1 : 0, std::memory_order_relaxed); }

PauseGate& WorkGate() {
  static PauseGate gate;
  return gate;
}

void RequestStop() {
  SetStopFlag(1);
  WorkGate().Open();
}

}  // namespace kest
