#pragma once
// Process-wide control of long work: the stop flag and the pause gate.
//
// The stop flag asks the running update or deletion to end before its next row (and an
// installation before its next container member). Nothing waits on it.
//
// The pause gate stands in for suspending a worker thread, which Linux cannot do safely. A
// front end closes the gate; the worker stops at its next checkpoint (every report to its front
// end, and inside downloads, extraction and copies) and waits there until the gate opens again.
// Code that holds a resource that must not wait (a network transfer) may give it up first and
// take it up again after the wait.

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace kest {

class PauseGate final {
 public:
  void Close();   // pause: workers stop at their next checkpoint
  void Open();    // resume
  bool IsClosed() const;
  // Returns at once when the gate is open; otherwise blocks until it opens. True when it
  // waited, so the caller knows that a pause happened.
  bool Pass();

 private:
  mutable std::mutex mutex_;
  std::condition_variable opened_;
  bool closed_ = false;
};

// The process's one stop flag (0 or 1) and pause gate.
int StopFlag();
void SetStopFlag(int value);
PauseGate& WorkGate();

// Stopping also opens the gate, so that a paused worker can run to its end.
void RequestStop();

}  // namespace kest
