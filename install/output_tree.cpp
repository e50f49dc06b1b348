#include "install/output_tree.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kest {

Expected<OutputTree> OutputTree::Open(const std::string& folder) {
  UniqueFd root = OpenFolderPath(folder, true);
  if (!root.valid()) return ErrnoError("cannot open the output folder " + folder);
  return OutputTree(std::move(root));
}

UniqueFd OutputTree::MakeFolders(const std::vector<std::string>& parts, size_t count) const {
  UniqueFd current(::dup(root_.get()));
  for (size_t i = 0; i < count && i < parts.size() && current.valid(); ++i) {
    const char* name = parts[i].c_str();
    UniqueFd next = OpenFolderAt(current.get(), name, false);
    if (!next.valid() && errno == ENOENT) {
      if (::mkdirat(current.get(), name, 0777) != 0 && errno != EEXIST) return UniqueFd();
      next = OpenFolderAt(current.get(), name, false);
    }
    current = std::move(next);
  }
  return current;
}

OutputTree::FileResult OutputTree::CreateFile(const std::vector<std::string>& parts,
                                              UniqueFd* file) const {
  if (parts.empty()) return FileResult::CannotOpen;
  UniqueFd folder = MakeFolders(parts, parts.size() - 1);
  if (!folder.valid()) return FileResult::CannotOpen;
  const char* name = parts.back().c_str();
  if (::unlinkat(folder.get(), name, 0) != 0 && errno != ENOENT) {
    return FileResult::CannotDelete;
  }
  int fd;
  do {
    fd = ::openat(folder.get(), name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return FileResult::CannotOpen;
  *file = UniqueFd(fd);
  return FileResult::Opened;
}

}  // namespace kest
