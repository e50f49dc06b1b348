#include "platform/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kest::platform {

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

Status ReplaceFileAtomically(const std::string& path, std::string_view content,
                             const ReplaceOptions& options) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // created 0600, so no other user ever reads it
  if (fd < 0) return ErrnoError("cannot create " + temp);
  bool written = WriteAll(fd, content) &&
                 (options.mode == 0600 || ::fchmod(fd, options.mode) == 0) &&
                 (!options.sync || ::fsync(fd) == 0);
  // A write that wrote nothing sets no errno; it still is a failure.
  int error = written ? 0 : errno != 0 ? errno : EIO;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) == 0) return Ok();
  if (error == 0) error = errno;
  ::unlink(temp.c_str());
  errno = error;
  return ErrnoError("cannot write " + path);
}

}  // namespace kest::platform
