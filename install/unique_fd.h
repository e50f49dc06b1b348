#pragma once
// A file descriptor that closes itself, and folder opening that works for paths of any length.

#include <string>
#include <utility>

namespace kest {

class UniqueFd final {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void Reset();
  // Closes now and reports the close's error (errno), 0 when it worked.
  int Close();

 private:
  int fd_ = -1;
};

// Opens the folder `name` inside the folder `dir_fd` for reading; with `follow_links` false a
// symbolic link is refused (ELOOP or ENOTDIR), so nothing reached through the result can lie
// outside `dir_fd`'s tree.
UniqueFd OpenFolderAt(int dir_fd, const char* name, bool follow_links);

// Opens the folder at `path` (absolute, or relative to the current folder), following links,
// whatever the length of the path: past the system's path limit it walks one component at a
// time. With `create`, missing folders are made on the way (mode 0777 less the umask). On
// failure the result is invalid and errno tells why.
UniqueFd OpenFolderPath(const std::string& path, bool create);

}  // namespace kest
