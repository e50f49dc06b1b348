#include "update/staged_file.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/card_path.h"
#include "install/item_path.h"

namespace kest {

bool IsRealFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PrepareStagedFile(const std::string& root, const std::vector<std::string>& parts) {
  if (parts.empty() || !IsRealFolder(root)) return {};
  std::string path = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!IsPlainFileName(parts[i])) return {};
    path = JoinPath(path, parts[i]);
    struct stat st {};
    bool exists = ::lstat(path.c_str(), &st) == 0;
    if (i + 1 == parts.size()) {
      if (exists && S_ISDIR(st.st_mode)) return {};
      if (exists && ::unlink(path.c_str()) != 0) return {};
      return path;
    }
    if (!exists) {
      if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return {};
      if (!IsRealFolder(path)) return {};
    } else if (!S_ISDIR(st.st_mode)) {
      return {};
    }
  }
  return {};
}

}  // namespace kest
