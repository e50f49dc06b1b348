#include "catalogue/card_path.h"

#include <cstdio>
#include <dirent.h>
#include <map>
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
bool MayBeKind(unsigned char type, EntryKind kind) {
  switch (type) {
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

// ToLowerUnicode(name) == folded, without building the folded name for the usual ASCII
// names: a card folder of 500 car kinds is compared with every kind the server lists.
bool FoldsTo(std::string_view name, std::string_view folded) {
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (!ascii) return ToLowerUnicode(name) == folded;
  if (name.size() != folded.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != folded[i]) return false;
  }
  return true;
}

bool IsLinkOrUnknown(unsigned char type) { return type == DT_LNK || type == DT_UNKNOWN; }

struct ListedEntry {
  std::string name;
  unsigned char type;  // as readdir reports it
};
using Listing = std::vector<ListedEntry>;

// The listings of the thread's CardListingScope, or nullptr outside one.
thread_local std::map<std::string, Listing>* t_listings = nullptr;

// The entries of `folder` other than "." and ".."; false when it cannot be read.
bool ReadListing(const std::string& folder, Listing& out) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name != "." && name != "..") out.push_back({std::string(name), entry->d_type});
  }
  ::closedir(dir);
  return true;
}

const Listing* CachedListing(const std::string& folder) {
  auto it = t_listings->find(folder);
  if (it == t_listings->end()) {
    Listing listing;
    if (!ReadListing(folder, listing)) return nullptr;  // not kept: it may appear later
    it = t_listings->emplace(folder, std::move(listing)).first;
  }
  return &it->second;
}

}  // namespace

CardListingScope::CardListingScope() {
  if (t_listings) return;
  t_listings = new std::map<std::string, Listing>();
  owner_ = true;
}

CardListingScope::~CardListingScope() {
  if (!owner_) return;
  delete t_listings;
  t_listings = nullptr;
}

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

  Listing own;
  const Listing* listing = &own;
  if (t_listings) {
    listing = CachedListing(folder);
  } else if (!ReadListing(folder, own)) {
    listing = nullptr;
  }
  if (!listing) return std::nullopt;
  const std::string wanted = ToLowerUnicode(name);
  for (const ListedEntry& entry : *listing) {
    if (!MayBeKind(entry.type, kind) || !FoldsTo(entry.name, wanted)) continue;
    if (IsLinkOrUnknown(entry.type) && kind != EntryKind::kAny &&
        !HasKind(JoinPath(folder, entry.name), kind)) {
      continue;
    }
    return entry.name;
  }
  return std::nullopt;
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
