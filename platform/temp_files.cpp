#include "platform/temp_files.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kest::platform {

namespace {

// The user's own folder below /tmp, made on first use: /tmp is shared by every user of the
// machine, and what we put there (the 7-Zip library we load, answers that carry tokens, the
// staged card files) must be neither readable nor replaceable by another user. A folder of that
// name that is not ours, not a folder, or open to others is not used.
std::string PrivateTmpFolder() {
  std::string folder = "/tmp/kest-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return "/tmp";
  }
  return folder;
}

}  // namespace

std::string TempFolder() {
  std::string folder;
  const char* env = std::getenv("TMPDIR");
  struct stat st {};
  if (env && *env && ::stat(env, &st) == 0 && S_ISDIR(st.st_mode)) {
    folder = env;
  } else {
    folder = PrivateTmpFolder();
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string CreateUniqueTempFile(const std::string& folder, std::string_view prefix) {
  if (folder.empty()) return {};
  std::string path = folder;
  if (path.back() != '/') path += '/';
  for (char c : prefix.substr(0, 3)) path += c == '/' ? '_' : c;  // the name stays in `folder`
  path += "XXXXXX.tmp";
  int fd = ::mkostemps(path.data(), 4, O_CLOEXEC);
  if (fd < 0) return {};
  ::close(fd);
  return path;
}

}  // namespace kest::platform
