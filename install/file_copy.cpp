#include "install/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/work_control.h"

namespace kest {
namespace {

// Large enough that a system call's cost vanishes against the bytes it moves, small enough
// that a pause is noticed within a fraction of a second.
constexpr uint64_t kChunk = 16u << 20;
// The fallback's buffer: the whole of the memory a copy ever holds.
constexpr size_t kBufferSize = 1u << 20;

bool CopyWithBuffer(int in_fd, uint64_t offset, uint64_t length, int out_fd) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferSize]);
  if (!buffer) return false;
  uint64_t done = 0;
  while (done < length) {
    WorkGate().Pass();
    size_t want = static_cast<size_t>(std::min<uint64_t>(kBufferSize, length - done));
    ssize_t n = ::pread(in_fd, buffer.get(), want, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return length == kCopyToEnd;
    if (!platform::WriteAll(out_fd, buffer.get(), static_cast<size_t>(n))) return false;
    done += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace

bool CopyFileBytes(int in_fd, uint64_t offset, uint64_t length, int out_fd) {
  uint64_t done = 0;
  while (done < length) {
    WorkGate().Pass();
    loff_t in_offset = static_cast<loff_t>(offset + done);
    size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, length - done));
    ssize_t n = ::copy_file_range(in_fd, &in_offset, out_fd, nullptr, want, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
          errno == EBADF || errno == ETXTBSY) {
        uint64_t rest = length == kCopyToEnd ? kCopyToEnd : length - done;
        return CopyWithBuffer(in_fd, offset + done, rest, out_fd);
      }
      return false;  // ENOSPC, EIO, ...
    }
    if (n == 0) return length == kCopyToEnd;
    done += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace kest
