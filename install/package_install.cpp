#include "install/package_install.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "install/extract.h"
#include "install/file_copy.h"
#include "install/item_path.h"
#include "install/unique_fd.h"
#include "platform/debug_trace.h"
#include "platform/temp_files.h"
#include "platform/work_control.h"

namespace kest {
namespace {

constexpr uint64_t kTrailerSize = 40;
constexpr uint64_t kEntrySize = 32;
// The directory is read this many entries at a time: a hostile directory of millions of
// entries costs time, never memory.
constexpr uint64_t kEntriesPerRead = 2048;

struct Member {
  uint64_t size = 0;
  std::string name;
};

// Leading white space, then decimal digits up to the first non-digit; no digits gives 0.
uint64_t ParseDecimal(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) ++i;
  uint64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint64_t>(field[i] - '0');
  }
  return value;
}

Member ParseEntry(const char* entry) {
  Member member;
  member.size = ParseDecimal(std::string_view(entry, 9));
  std::string_view name(entry + 9, 23);
  name = name.substr(0, name.find('\0'));
  size_t start = 0;
  while (start < name.size() &&
         (name[start] == ' ' || (name[start] >= '\t' && name[start] <= '\r'))) {
    ++start;
  }
  member.name = std::string(name.substr(start));
  return member;
}

bool ReadExactly(int fd, void* buffer, size_t size, uint64_t offset) {
  char* out = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    size -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// Calls `visit` for every directory entry in order; false when the directory could not be read
// or `visit` said stop.
bool ForEachEntry(int fd, uint64_t directory_start, uint64_t count,
                  const std::function<bool(const Member&)>& visit) {
  std::vector<char> chunk;
  for (uint64_t first = 0; first < count; first += kEntriesPerRead) {
    uint64_t n = std::min(kEntriesPerRead, count - first);
    chunk.resize(static_cast<size_t>(n * kEntrySize));
    if (!ReadExactly(fd, chunk.data(), chunk.size(), directory_start + first * kEntrySize)) {
      return false;
    }
    for (uint64_t i = 0; i < n; ++i) {
      if (!visit(ParseEntry(chunk.data() + i * kEntrySize))) return false;
    }
  }
  return true;
}

// The container's sizes and names hold together: checked in full before anything is written.
bool ContainerIsSound(int fd, uint64_t directory_start, uint64_t count) {
  uint64_t total = 0;
  return ForEachEntry(fd, directory_start, count, [&](const Member& member) {
    total += member.size;  // at most 10^9 per entry: no overflow within any real file
    if (total > directory_start) {
      KEST_TRACE("container: members end past the data part\r\n");
      return false;
    }
    if (!IsPlainFileName(member.name)) {
      KEST_TRACE("container: member name is no plain file name\r\n");
      return false;
    }
    return true;
  });
}

bool UnpackArchiveMember(int package_fd, uint64_t offset, uint64_t size,
                         const std::string& folder) {
  std::string temp = platform::CreateUniqueTempFile(platform::TempFolder(), "insub");
  if (temp.empty()) return false;
  UniqueFd out(::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  bool ok = out.valid() && CopyFileBytes(package_fd, offset, size, out.get());
  ok = out.Close() == 0 && ok;
  if (ok) {
    KEST_TRACE("Install7Z: fileName:%s\r\n", temp.c_str());
    ok = Extract7ZWithTool(temp, folder);
  }
  ::unlink(temp.c_str());
  return ok;
}

bool WriteFileMember(int package_fd, uint64_t offset, uint64_t size, int folder_fd,
                     [[maybe_unused]] const std::string& folder, const std::string& name) {
  KEST_TRACE("saveFile:%s/%s\r\n", folder.c_str(), name.c_str());
  // Replace whatever file or link has that name (a read-only file too) without following a
  // link; a folder of that name fails.
  if (::unlinkat(folder_fd, name.c_str(), 0) != 0 && errno != ENOENT) return false;
  UniqueFd out(::openat(folder_fd, name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!out.valid()) return false;
  bool ok = CopyFileBytes(package_fd, offset, size, out.get());
  ok = out.Close() == 0 && ok;
  if (!ok) ::unlinkat(folder_fd, name.c_str(), 0);  // no partial member passes for a whole one
  return ok;
}

int InstallContainer(int fd, uint64_t length, const std::string& folder) {
  char trailer[kTrailerSize];
  if (!ReadExactly(fd, trailer, sizeof trailer, length - kTrailerSize)) return 0;
  uint64_t directory_size = ParseDecimal(std::string_view(trailer, 8));
  if (directory_size < kEntrySize || directory_size % kEntrySize != 0) return 0;
  if (directory_size > length - kTrailerSize) return 0;  // would begin before the file
  uint64_t directory_start = length - kTrailerSize - directory_size;
  uint64_t count = directory_size / kEntrySize;
  if (!ContainerIsSound(fd, directory_start, count)) return 0;

  UniqueFd folder_fd = OpenFolderPath(folder, true);
  if (!folder_fd.valid()) return 0;
  uint64_t offset = 0;
  bool stopped = false;
  bool ok = ForEachEntry(fd, directory_start, count, [&](const Member& member) {
    WorkGate().Pass();
    if (StopFlag() != 0) {
      stopped = true;
      return false;
    }
    bool member_ok = true;
    if (member.name == "upbase.exe") {
      // The maker's own updater: not part of the card.
    } else if (member.name.find(".7z") != std::string::npos) {
      member_ok = UnpackArchiveMember(fd, offset, member.size, folder);
    } else {
      member_ok = WriteFileMember(fd, offset, member.size, folder_fd.get(), folder, member.name);
    }
    offset += member.size;
    return member_ok;
  });
  return ok && !stopped ? 1 : 0;
}

}  // namespace

int Install7Z(const std::string& package, const std::string& folder) {
  UniqueFd fd(::open(package.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return 0;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  char magic[2] = {0, 0};
  if (st.st_size >= 2 && ReadExactly(fd.get(), magic, 2, 0) && magic[0] == '7' &&
      magic[1] == 'z') {
    fd.Reset();
    KEST_TRACE("Install7Z begin fileName:%s\r\n", package.c_str());
    return Extract7ZWithLibrary(package, folder) ? 1 : 0;
  }
  uint64_t length = static_cast<uint64_t>(st.st_size);
  if (length < kTrailerSize + kEntrySize) return 0;
  return InstallContainer(fd.get(), length, folder);
}

}  // namespace kest
