#pragma once
// Finding things on the card the way its FAT file system finds them: names compared ignoring
// letter case ("CarDB", "cardb" and "CARDB" are one folder; "v10.15" answers "V10.15";
// "data.en" answers "data.EN"), also when the card is a folder on a case-sensitive desktop.
// Every look-up on the card goes through here.
//
// Paths that come from the server (a car kind's path, a version label, a language code) are
// only ever compared with names found on the card, or split into checked components: an
// absolute path or one with a ".." part never becomes part of a path.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// The components of a path the server gives: "/" and "\" both separate folders, empty and "."
// parts are dropped. Nothing when the path is empty, absolute or has a ".." part.
std::optional<std::vector<std::string>> SplitServerPath(std::string_view path);

enum class EntryKind { kAny, kFolder, kFile };

// The name of the entry of `folder` that equals `name` ignoring letter case (Unicode simple
// case folding): the exact name when an entry of the wanted kind has it, otherwise the first
// such entry in directory order. Nothing when there is none, or when `name` is no single
// component (empty, ".", "..", or holding a "/"). Links count as what they point to.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder,
                                                 std::string_view name,
                                                 EntryKind kind = EntryKind::kAny);

// While an object of this class lives, the look-ups above on its thread read the entries of
// each folder once and answer later look-ups in the same folder from that list. For work that
// only reads the card: the update search, whose 2,000 car kinds would otherwise read a CarDB
// folder of 500 entries again for each of the 1,500 kinds it lacks (three quarters of the
// search's time went into the kernel's directory reading). An inner scope shares the outer's.
class CardListingScope final {
 public:
  CardListingScope();
  ~CardListingScope();
  CardListingScope(const CardListingScope&) = delete;
  CardListingScope& operator=(const CardListingScope&) = delete;

 private:
  bool owner_ = false;
};

// `folder` + "/" + `name`, without doubling a trailing "/".
std::string JoinPath(const std::string& folder, std::string_view name);

// Walks `components` down from `root`, matching each ignoring case; every component but the
// last must be a folder, the last must be of `last_kind`. The path as it is on disk, or
// nothing when a component is missing.
std::optional<std::string> ResolveIgnoringCase(const std::string& root,
                                               const std::vector<std::string>& components,
                                               EntryKind last_kind = EntryKind::kAny);

// The folder of a car kind on the card, "<root>/CarDB/<path>", and the folder of one of its
// versions, "<root>/CarDB/<path>/<version>", as they are on disk. Nothing when missing or when
// the path or the label is unsafe.
std::optional<std::string> FindCarKindFolder(const std::string& root, std::string_view car_path);
std::optional<std::string> FindVersionFolder(const std::string& root, std::string_view car_path,
                                             std::string_view version);

// Before a staged tree is copied onto the card: every entry of `staged` whose counterpart in
// `card` has the same name in another letter case is renamed to the card's spelling, folder by
// folder down both trees, so that the copy lands in the card's existing folders and replaces
// its existing files instead of making a second "cardb" beside "CarDB" (which a scanner would
// never see) on a case-sensitive file system. An entry whose new name is already taken in the
// staged tree keeps its name.
void AlignNamesToCard(const std::string& staged, const std::string& card);

}  // namespace kest
