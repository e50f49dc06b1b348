#include "versions/version_folder.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "catalogue/card_path.h"
#include "catalogue/kest_car.h"
#include "install/card_folder.h"
#include "install/unique_fd.h"
#include "platform/file_attributes.h"

namespace kest {
namespace {

namespace attr = platform::attr;

bool Vanished(int error) { return error == ENOENT || error == ENOTDIR; }

// A version label that names one folder: not empty (that would be the car kind's own folder
// with all its versions), no separator, not "." or "..".
bool IsPlainLabel(std::string_view label) {
  return !label.empty() && label != "." && label != ".." &&
         label.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// The names in the open folder `fd` other than "." and "..". False when it cannot be read to
// the end.
bool ListNames(int fd, std::vector<std::string>& names) {
  int own = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (own < 0) return false;
  DIR* dir = ::fdopendir(own);
  if (!dir) {
    ::close(own);
    return false;
  }
  bool complete = true;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      complete = errno == 0;
      break;
    }
    std::string_view name(entry->d_name);
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return complete;
}

// Empties the folder `fd` under the plain-delete rule. True when something that should have
// gone is still there. The names are read first: removing entries while a listing runs may
// make it skip others.
bool DeleteContents(int fd) {
  std::vector<std::string> names;
  if (!ListNames(fd, names)) return true;
  bool failed = false;
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone since
    const uint32_t attributes = platform::AttributesFromMode(st.st_mode, name);
    if ((attributes & attr::Directory) && name[0] != '.') {
      UniqueFd folder = OpenFolderAt(fd, name.c_str(), /*follow_links=*/false);
      if (folder.valid()) {
        failed = DeleteContents(folder.get()) || failed;
      } else if (!Vanished(errno)) {
        failed = true;
      }
      folder.Reset();
      ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);  // what stayed inside keeps it; not counted
    } else if (attributes & (attr::Archive | attr::Normal)) {
      if (::unlinkat(fd, name.c_str(), 0) != 0 && !Vanished(errno)) failed = true;
    }
    // Anything else (a read-only file, a folder named ".x" with all it holds, a device
    // node) is what a plain delete on the card leaves in place.
  }
  return failed;
}

}  // namespace

int DeleteVersionFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty()) return 0;
  const size_t slash = folder.rfind('/');
  const std::string parent = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : folder.substr(0, slash);
  const std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return 1;  // "/" or a folder of no name

  UniqueFd parent_fd = OpenFolderPath(parent, /*create=*/false);
  if (!parent_fd.valid()) return Vanished(errno) ? 0 : 1;
  struct stat st {};
  if (::fstatat(parent_fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return Vanished(errno) ? 0 : 1;
  }
  if (S_ISLNK(st.st_mode)) {
    // A link standing in for the version folder: the link goes, what it points to stays.
    struct stat target {};
    if (::fstatat(parent_fd.get(), name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)) {
      return 0;
    }
    return ::unlinkat(parent_fd.get(), name.c_str(), 0) == 0 ? 0 : 1;
  }
  if (!S_ISDIR(st.st_mode)) return 0;

  UniqueFd fd = OpenFolderAt(parent_fd.get(), name.c_str(), /*follow_links=*/false);
  if (!fd.valid()) return Vanished(errno) ? 0 : 1;
  const bool failed = DeleteContents(fd.get());
  fd.Reset();
  ::unlinkat(parent_fd.get(), name.c_str(), AT_REMOVEDIR);  // outcome not considered
  return failed ? 1 : 0;
}

int DeleteCarVersion(const CKestCar& record, std::string_view versionText) {
  if (record.languageCode.empty() || record.carKindName.empty() || record.path.empty()) {
    return 1;
  }
  if (!IsPlainLabel(versionText) || !SplitServerPath(record.path)) return 1;
  // Without a card there is nothing to delete from; a vanished card must not read as
  // "Finished" for every row.
  const std::string card = CardFolder();
  struct stat st {};
  if (card.empty() || ::stat(card.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 1;

  std::optional<std::string> folder = FindVersionFolder(card, record.path, versionText);
  if (!folder) return 0;  // not on the card (any more)
  return DeleteVersionFolder(*folder);
}

}  // namespace kest
