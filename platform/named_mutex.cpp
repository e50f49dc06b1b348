#include "platform/named_mutex.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace kest::platform {

std::string NamedMutexPath(std::string_view name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    std::string path = runtime;
    if (path.back() != '/') path += '/';
    return path + std::string(name) + ".lock";
  }
  return "/tmp/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

NamedMutex::Outcome NamedMutex::Create(std::string_view name) {
  Close();
  // O_NOFOLLOW: in the shared /tmp another user could plant a symbolic link under our name.
  int fd = ::open(NamedMutexPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Outcome::Failed;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Outcome::AlreadyExisted : Outcome::Failed;
  }
  fd_ = fd;
  return Outcome::Created;
}

void NamedMutex::Close() {
  if (fd_ >= 0) {
    ::close(fd_);  // closing the last descriptor of the open file releases the lock
    fd_ = -1;
  }
}

}  // namespace kest::platform
