#pragma once
// Where files fetched during a run go inside the staging folder. A package unpacked there may
// bring symbolic links (the console tool restores them), so a file written by name could land
// wherever such a link points. These helpers walk the path without following any link.

#include <string>
#include <vector>

namespace kest {

// Prepares `root` / parts[0] / ... / parts[n-1] for writing a new file: every folder on the
// way is made when missing and must be a real folder (not a link), and a link or file already
// at the last name is removed. The full path, or empty when the path cannot be made safely
// (a link or a file in the way, a part that is no plain name).
std::string PrepareStagedFile(const std::string& root, const std::vector<std::string>& parts);

// True when `path` is a real folder, not a link to one.
bool IsRealFolder(const std::string& path);

// DeleteFolderTree for the staging folder or a tree inside it: read-only files (a package may
// bring them) lose that mode first, as DeleteFolderTree leaves read-only files in place and
// whatever stays in the staging folder would be copied onto the next card updated.
bool DeleteStagedTree(const std::string& folder);

}  // namespace kest
