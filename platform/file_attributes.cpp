#include "platform/file_attributes.h"

#include <sys/stat.h>

namespace kest::platform {
namespace {

std::string BaseName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace

uint32_t AttributesFromMode(uint32_t mode, const std::string& name) {
  uint32_t attributes = 0;
  bool writable = (mode & S_IWUSR) != 0;
  if (!writable) attributes |= attr::ReadOnly;
  if (!name.empty() && name[0] == '.') attributes |= attr::Hidden;
  if (S_ISDIR(mode)) {
    attributes |= attr::Directory;
  } else if ((S_ISREG(mode) || S_ISLNK(mode)) && writable) {
    attributes |= attr::Archive;
  }
  return attributes;
}

std::optional<uint32_t> GetFileAttributes(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return AttributesFromMode(st.st_mode, BaseName(path));
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode)) return true;  // a link has no mode of its own
  mode_t mode = st.st_mode & 07777;
  if (attributes & attr::ReadOnly) {
    mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
  } else {
    mode |= S_IWUSR;
  }
  if (mode == (st.st_mode & 07777)) return true;
  return ::chmod(path.c_str(), mode) == 0;
}

bool ClearReadOnly(const std::string& path) {
  std::optional<uint32_t> attributes = GetFileAttributes(path);
  return attributes && SetFileAttributes(path, *attributes & ~attr::ReadOnly);
}

}  // namespace kest::platform
