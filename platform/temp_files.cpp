#include "platform/temp_files.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kest::platform {

std::string TempFolder() {
  std::string folder;
  const char* env = std::getenv("TMPDIR");
  struct stat st {};
  if (env && *env && ::stat(env, &st) == 0 && S_ISDIR(st.st_mode)) {
    folder = env;
  } else {
    folder = "/tmp";
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
