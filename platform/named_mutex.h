#pragma once
// Named mutexes between processes of the same user.
//
// Protocol (the companion program follows it with its own few lines): the mutex NAME is an
// exclusive flock(2) on $XDG_RUNTIME_DIR/NAME.lock, or on /tmp/NAME-UID.lock when
// XDG_RUNTIME_DIR is unset (UID the numeric user id). Whoever holds the lock holds the mutex;
// "already existed" means another open file holds that lock. The kernel drops the lock when the
// holder ends in any way, SIGKILL included, so a crashed program never leaves it behind. The
// lock file itself stays; its existence means nothing.

#include <string>
#include <string_view>

namespace kest::platform {

std::string NamedMutexPath(std::string_view name);

class NamedMutex final {
 public:
  enum class Outcome { Created, AlreadyExisted, Failed };

  NamedMutex() = default;
  ~NamedMutex() { Close(); }
  NamedMutex(NamedMutex&& other) noexcept;
  NamedMutex& operator=(NamedMutex&& other) noexcept;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Created: this object now holds the mutex until Close() or destruction.
  // AlreadyExisted: another holder has it; this object holds nothing.
  // Failed: the lock file could not be opened; this object holds nothing.
  Outcome Create(std::string_view name);
  bool Held() const { return fd_ >= 0; }
  void Close();

 private:
  int fd_ = -1;
};

}  // namespace kest::platform
