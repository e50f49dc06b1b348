#pragma once
// Folder routines around an installation: copying the staged tree onto the card, measuring
// and deleting trees, making folder paths. Paths are UTF-8 of any length; every walk goes
// through folder descriptors, one component per call, and never follows a symbolic link into
// another folder.

#include <cstdint>
#include <string>

namespace kest {

// Copies every file and folder below `source` into `destination` (made when missing, one
// level), replacing files of the same name (a read-only one too) and leaving other files in
// place. Each copy keeps the source's modification time and read-only state. A link to a file
// is copied as that file; a link to a folder is not entered (it could lead back up the tree).
// The pause gate is passed between files and between chunks of a large file.
//
// True only when everything was copied completely: false for an empty or missing source, a
// destination that cannot be made, and any file that could not be copied whole (a card that
// fills up). A file cut short is removed, so that no partial file passes for a copied one;
// the copy goes on with the other files.
bool CopyFolderTree(const std::string& source, const std::string& destination);

// Adds the size of every file below `folder` to the process-wide total and returns the total.
// Folders whose names begin with "." are not entered; links are not followed. The caller sets
// the total to 0 first; one measurement at a time.
uint64_t GetFolderSize(const std::string& folder);
void SetFolderSizeTotal(uint64_t value);
uint64_t FolderSizeTotal();

// Deletes everything below `folder` and then the folder itself; true when the folder is gone
// at the end. Read-only files are not deleted (as on the card's FAT file system, where a
// plain delete refuses them), and they keep their folders alive. A link is removed, never
// followed. Empty `folder`: false.
bool DeleteFolderTree(const std::string& folder);

// Creates every missing folder of `path`. No result: a later open tells.
void CreateFolderPath(const std::string& path);

}  // namespace kest
