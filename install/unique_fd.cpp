#include "install/unique_fd.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kest {

void UniqueFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int UniqueFd::Close() {
  if (fd_ < 0) return 0;
  int rc = ::close(std::exchange(fd_, -1));
  // Linux releases the descriptor even when close reports EINTR; the data went to the cache.
  if (rc != 0 && errno != EINTR) return errno != 0 ? errno : EIO;
  return 0;
}

UniqueFd OpenFolderAt(int dir_fd, const char* name, bool follow_links) {
  int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_links ? 0 : O_NOFOLLOW);
  int fd;
  do {
    fd = ::openat(dir_fd, name, flags);
  } while (fd < 0 && errno == EINTR);
  return UniqueFd(fd);
}

UniqueFd OpenFolderPath(const std::string& path, bool create) {
  if (path.empty()) {
    errno = ENOENT;
    return UniqueFd();
  }
  if (path.size() < PATH_MAX) {
    UniqueFd direct = OpenFolderAt(AT_FDCWD, path.c_str(), true);
    if (direct.valid() || (!create && errno != ENAMETOOLONG)) return direct;
  }
  UniqueFd current = OpenFolderAt(AT_FDCWD, path[0] == '/' ? "/" : ".", true);
  size_t start = 0;
  while (current.valid() && start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    UniqueFd next = OpenFolderAt(current.get(), part.c_str(), true);
    if (!next.valid() && errno == ENOENT && create) {
      if (::mkdirat(current.get(), part.c_str(), 0777) != 0 && errno != EEXIST) {
        return UniqueFd();
      }
      next = OpenFolderAt(current.get(), part.c_str(), true);
    }
    if (!next.valid()) return UniqueFd();
    current = std::move(next);
  }
  return current;
}

}  // namespace kest
