#include "catalogue/card_path.h"

#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

#include "install/item_path.h"
#include "platform/text.h"

namespace kest {
namespace {

bool IsSingleComponent(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

bool HasKind(const std::string& path, EntryKind kind) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  switch (kind) {
    case EntryKind::kFolder:
      return S_ISDIR(st.st_mode);
    case EntryKind::kFile:
      return S_ISREG(st.st_mode);
    case EntryKind::kAny:
      break;
  }
  return true;
}

// Whether the entry's type as readdir reports it can be of `kind`; links and unknown types
// are asked with stat.
bool MayBeKind(const dirent* entry, EntryKind kind) {
  switch (entry->d_type) {
    case DT_DIR:
      return kind != EntryKind::kFile;
    case DT_REG:
      return kind != EntryKind::kFolder;
    case DT_LNK:
    case DT_UNKNOWN:
      return true;
    default:
      return kind == EntryKind::kAny;
  }
}

bool IsLinkOrUnknown(const dirent* entry) {
  return entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
}

}  // namespace

std::optional<std::vector<std::string>> SplitServerPath(std::string_view path) {
  if (!IsSafeItemPath(path)) return std::nullopt;
  std::vector<std::string> parts = SplitItemPath(path);
  if (parts.empty()) return std::nullopt;
  return parts;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

std::optional<std::string> FindEntryIgnoringCase(const std::string& folder,
                                                 std::string_view name, EntryKind kind) {
  if (!IsSingleComponent(name) || folder.empty()) return std::nullopt;
  // The usual case costs one stat: the card spells the name as asked.
  if (HasKind(JoinPath(folder, name), kind)) return std::string(name);

  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  const std::string wanted = ToLowerUnicode(name);
  std::optional<std::string> found;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view entry_name(entry->d_name);
    if (entry_name == "." || entry_name == ".." || !MayBeKind(entry, kind)) continue;
    if (entry_name.size() != name.size() && Utf8Length(entry_name) != Utf8Length(name)) {
      continue;  // cheap test first: folding keeps the number of characters
    }
    if (ToLowerUnicode(entry_name) != wanted) continue;
    if (IsLinkOrUnknown(entry) && kind != EntryKind::kAny &&
        !HasKind(JoinPath(folder, entry_name), kind)) {
      continue;
    }
    found = std::string(entry_name);
    break;
  }
  ::closedir(dir);
  return found;
}

std::optional<std::string> ResolveIgnoringCase(const std::string& root,
                                               const std::vector<std::string>& components,
                                               EntryKind last_kind) {
  std::string path = root;
  for (size_t i = 0; i < components.size(); ++i) {
    EntryKind kind = i + 1 == components.size() ? last_kind : EntryKind::kFolder;
    std::optional<std::string> name = FindEntryIgnoringCase(path, components[i], kind);
    if (!name) return std::nullopt;
    path = JoinPath(path, *name);
  }
  return path;
}

std::optional<std::string> FindCarKindFolder(const std::string& root,
                                             std::string_view car_path) {
  std::optional<std::vector<std::string>> parts = SplitServerPath(car_path);
  if (!parts) return std::nullopt;
  parts->insert(parts->begin(), "CarDB");
  return ResolveIgnoringCase(root, *parts, EntryKind::kFolder);
}

std::optional<std::string> FindVersionFolder(const std::string& root, std::string_view car_path,
                                             std::string_view version) {
  std::optional<std::string> car = FindCarKindFolder(root, car_path);
  if (!car) return std::nullopt;
  std::optional<std::string> name = FindEntryIgnoringCase(*car, version, EntryKind::kFolder);
  if (!name) return std::nullopt;
  return JoinPath(*car, *name);
}

void AlignNamesToCard(const std::string& staged, const std::string& card) {
  DIR* dir = ::opendir(staged.c_str());
  if (!dir) return;
  std::vector<std::pair<std::string, bool>> entries;  // name, is a real folder
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    bool folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      folder = ::lstat(JoinPath(staged, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.emplace_back(std::string(name), folder);
  }
  ::closedir(dir);

  for (auto& [name, folder] : entries) {
    std::optional<std::string> on_card =
        FindEntryIgnoringCase(card, name, folder ? EntryKind::kFolder : EntryKind::kFile);
    if (!on_card) continue;  // new on the card: copied under its own name
    if (*on_card != name) {
      std::string target = JoinPath(staged, *on_card);
      struct stat st {};
      if (::lstat(target.c_str(), &st) != 0 &&
          std::rename(JoinPath(staged, name).c_str(), target.c_str()) == 0) {
        name = *on_card;
      }
    }
    if (folder) AlignNamesToCard(JoinPath(staged, name), JoinPath(card, *on_card));
  }
}

}  // namespace kest
