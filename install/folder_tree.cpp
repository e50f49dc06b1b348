#include "install/folder_tree.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "install/file_copy.h"
#include "install/unique_fd.h"
#include "platform/work_control.h"

namespace kest {
namespace {

std::atomic<uint64_t> g_folder_size_total{0};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entries of an open folder, read through a duplicate of its descriptor.
class FolderReader final {
 public:
  explicit FolderReader(int folder_fd) {
    int fd = ::fcntl(folder_fd, F_DUPFD_CLOEXEC, 0);
    if (fd >= 0) {
      dir_ = ::fdopendir(fd);
      if (!dir_) ::close(fd);
      else ::rewinddir(dir_);
    }
  }
  ~FolderReader() {
    if (dir_) ::closedir(dir_);
  }
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;
  bool ok() const { return dir_ != nullptr; }
  // The next entry other than "." and "..", or nullptr at the end.
  const dirent* Next() {
    while (dir_) {
      const dirent* entry = ::readdir(dir_);
      if (!entry) return nullptr;
      if (!IsDotOrDotDot(entry->d_name)) return entry;
    }
    return nullptr;
  }

 private:
  DIR* dir_ = nullptr;
};

// The entry's type (DT_DIR, DT_REG, DT_LNK, ...), asking the file system when readdir did not
// say.
unsigned char EntryType(int folder_fd, const dirent* entry) {
  if (entry->d_type != DT_UNKNOWN) return entry->d_type;
  struct stat st {};
  if (::fstatat(folder_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  if (S_ISDIR(st.st_mode)) return DT_DIR;
  if (S_ISREG(st.st_mode)) return DT_REG;
  if (S_ISLNK(st.st_mode)) return DT_LNK;
  return DT_UNKNOWN;
}

UniqueFd OpenOrMakeFolderAt(int parent_fd, const char* name) {
  UniqueFd folder = OpenFolderAt(parent_fd, name, false);
  if (!folder.valid() && errno == ENOENT) {
    if (::mkdirat(parent_fd, name, 0777) != 0 && errno != EEXIST) return UniqueFd();
    folder = OpenFolderAt(parent_fd, name, false);
  }
  return folder;
}

UniqueFd CreateDestinationFile(int folder_fd, const char* name, mode_t mode) {
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::openat(folder_fd, name, flags, mode);
  if (fd < 0 && errno == EACCES) {
    // A read-only file of that name (an earlier copy of a read-only file): give the owner
    // write permission back and replace its content.
    struct stat st {};
    if (::fstatat(folder_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        ::fchmodat(folder_fd, name, (st.st_mode & 07777) | S_IWUSR, 0) == 0) {
      fd = ::openat(folder_fd, name, flags, mode);
    }
  } else if (fd < 0 && errno == ELOOP) {
    // A link of that name: replace the link itself, never write through it.
    if (::unlinkat(folder_fd, name, 0) == 0) fd = ::openat(folder_fd, name, flags, mode);
  }
  return UniqueFd(fd);
}

bool CopyOneFile(int source_folder, const char* name, bool follow_link, int dest_folder) {
  WorkGate().Pass();
  int in_flags = O_RDONLY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW);
  UniqueFd in(::openat(source_folder, name, in_flags));
  struct stat st {};
  if (!in.valid() || ::fstat(in.get(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) return true;  // a link to a folder: not entered
  if (!S_ISREG(st.st_mode)) return true;  // devices, pipes, sockets: nothing to copy
  mode_t mode = (st.st_mode & 0777) | S_IWUSR;
  UniqueFd out = CreateDestinationFile(dest_folder, name, mode);
  if (!out.valid()) return false;
  bool ok = CopyFileBytes(in.get(), 0, kCopyToEnd, out.get());
  if (ok) {
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(out.get(), times);
    if ((st.st_mode & S_IWUSR) == 0) ::fchmod(out.get(), st.st_mode & 07777);
  }
  ok = out.Close() == 0 && ok;
  if (!ok) ::unlinkat(dest_folder, name, 0);
  return ok;
}

bool CopyTreeAt(int source_fd, int dest_fd) {
  FolderReader reader(source_fd);
  if (!reader.ok()) return false;
  bool ok = true;
  while (const dirent* entry = reader.Next()) {
    switch (EntryType(source_fd, entry)) {
      case DT_DIR: {
        UniqueFd from = OpenFolderAt(source_fd, entry->d_name, false);
        UniqueFd to = OpenOrMakeFolderAt(dest_fd, entry->d_name);
        if (!from.valid() || !to.valid() || !CopyTreeAt(from.get(), to.get())) ok = false;
        break;
      }
      case DT_REG:
        if (!CopyOneFile(source_fd, entry->d_name, false, dest_fd)) ok = false;
        break;
      case DT_LNK:
        if (!CopyOneFile(source_fd, entry->d_name, true, dest_fd)) {
          // A dangling link has nothing to copy; anything else is a failed copy.
          struct stat st {};
          if (::fstatat(source_fd, entry->d_name, &st, 0) == 0) ok = false;
        }
        break;
      default:
        break;
    }
  }
  return ok;
}

void SizeAt(int folder_fd) {
  FolderReader reader(folder_fd);
  while (const dirent* entry = reader.Next()) {
    unsigned char type = EntryType(folder_fd, entry);
    if (type == DT_DIR) {
      if (entry->d_name[0] == '.') continue;
      UniqueFd sub = OpenFolderAt(folder_fd, entry->d_name, false);
      if (sub.valid()) SizeAt(sub.get());
    } else if (type == DT_REG) {
      struct stat st {};
      if (::fstatat(folder_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        g_folder_size_total.fetch_add(static_cast<uint64_t>(st.st_size));
      }
    }
  }
}

void DeleteContentAt(int folder_fd) {
  FolderReader reader(folder_fd);
  while (const dirent* entry = reader.Next()) {
    unsigned char type = EntryType(folder_fd, entry);
    if (type == DT_DIR) {
      UniqueFd sub = OpenFolderAt(folder_fd, entry->d_name, false);
      if (sub.valid()) DeleteContentAt(sub.get());
      ::unlinkat(folder_fd, entry->d_name, AT_REMOVEDIR);
      continue;
    }
    struct stat st {};
    if (type == DT_REG && ::fstatat(folder_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        (st.st_mode & S_IWUSR) == 0) {
      continue;  // read-only: stays
    }
    ::unlinkat(folder_fd, entry->d_name, 0);
  }
}

// "a/b/c/" -> parent "a/b", name "c"; "c" -> ".", "c"; "/c" -> "/", "c".
void SplitLast(const std::string& path, std::string* parent, std::string* name) {
  std::string_view view(path);
  while (view.size() > 1 && view.back() == '/') view.remove_suffix(1);
  size_t slash = view.rfind('/');
  std::string_view parent_view = slash == std::string_view::npos ? std::string_view(".")
                                 : slash == 0                    ? view.substr(0, 1)
                                                                 : view.substr(0, slash);
  parent->assign(parent_view.begin(), parent_view.end());
  std::string_view name_view = slash == std::string_view::npos ? view : view.substr(slash + 1);
  name->assign(name_view.begin(), name_view.end());
}

}  // namespace

bool CopyFolderTree(const std::string& source, const std::string& destination) {
  if (source.empty() || destination.empty()) return false;
  UniqueFd from = OpenFolderPath(source, false);
  if (!from.valid()) return false;
  UniqueFd to = OpenFolderPath(destination, false);
  if (!to.valid()) {
    std::string parent, name;
    SplitLast(destination, &parent, &name);
    UniqueFd parent_fd = OpenFolderPath(parent, false);
    if (!parent_fd.valid() || name.empty()) return false;
    to = OpenOrMakeFolderAt(parent_fd.get(), name.c_str());
    if (!to.valid()) return false;
  }
  return CopyTreeAt(from.get(), to.get());
}

uint64_t GetFolderSize(const std::string& folder) {
  UniqueFd fd = OpenFolderPath(folder, false);
  if (fd.valid()) SizeAt(fd.get());
  return g_folder_size_total.load();
}

void SetFolderSizeTotal(uint64_t value) { g_folder_size_total.store(value); }

uint64_t FolderSizeTotal() { return g_folder_size_total.load(); }

bool DeleteFolderTree(const std::string& folder) {
  if (folder.empty()) return false;
  std::string parent, name;
  SplitLast(folder, &parent, &name);
  if (name.empty() || name == "." || name == ".." || name == "/") return false;
  UniqueFd parent_fd = OpenFolderPath(parent, false);
  if (!parent_fd.valid()) return false;
  UniqueFd fd = OpenFolderAt(parent_fd.get(), name.c_str(), false);
  if (!fd.valid()) return false;
  DeleteContentAt(fd.get());
  fd.Reset();
  return ::unlinkat(parent_fd.get(), name.c_str(), AT_REMOVEDIR) == 0;
}

void CreateFolderPath(const std::string& path) { OpenFolderPath(path, true); }

}  // namespace kest
