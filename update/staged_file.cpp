#include "update/staged_file.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/card_path.h"
#include "install/folder_tree.h"
#include "install/item_path.h"
#include "install/unique_fd.h"

namespace kest {
namespace {

// Gives every read-only file below the open folder `fd` its owner's write bit, never following
// a link.
void MakeFilesWritable(int fd) {
  int own = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
  if (!dir) {
    if (own >= 0) ::close(own);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      UniqueFd sub = OpenFolderAt(fd, entry->d_name, false);
      if (sub.valid()) MakeFilesWritable(sub.get());
    } else if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
      ::fchmodat(fd, entry->d_name, (st.st_mode & 07777) | S_IWUSR, 0);
    }
  }
  ::closedir(dir);
}

}  // namespace

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

bool DeleteStagedTree(const std::string& folder) {
  std::string real = folder;
  while (real.size() > 1 && real.back() == '/') real.pop_back();
  // A link in place of the folder: DeleteFolderTree does not enter it, and neither does this.
  if (IsRealFolder(real)) {
    UniqueFd fd = OpenFolderPath(real, false);
    if (fd.valid()) MakeFilesWritable(fd.get());
  }
  return DeleteFolderTree(folder);
}

}  // namespace kest
