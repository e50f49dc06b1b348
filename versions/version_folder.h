#pragma once
// Deleting one version of a car kind from the card: the folder CarDB/<path>/<version>.
//
// Only entries that a plain delete on the card's FAT file system removes are deleted: files
// with the archive or the normal attribute (platform/file_attributes.h maps them onto Linux:
// every file the owner may write, and every symbolic link). A read-only file stays, and so
// does a folder whose name begins with "." together with everything in it; neither counts as
// a failure. Folders that stay keep their parents alive, and a version folder that cannot be
// removed at the end does not count as a failure either: only a file that should have gone
// and did not does.

#include <string>
#include <string_view>

namespace kest {

class CKestCar;

// Deletes the version `versionText` of `record` from the card folder (CardFolder()). The
// folder is found the way the card names it, ignoring letter case in every component
// ("cardb/audi/v5.10" answers CarDB, AUDI and V5.10).
//
// 0 when the folder was deleted or is not there; 1 on failure, and 1 without touching
// anything when the record has no language code, name or path, when no card folder is set,
// or when the path or the label would lead anywhere but to one version folder of the card:
// an absolute path, a ".." part, an empty label (the car kind's own folder, holding every
// version), a label with a separator, ".", "..".
int DeleteCarVersion(const CKestCar& record, std::string_view versionText);

// Deletes the folder `path` under the rule above. 0 on success, also when `path` is no
// folder; 1 when a deletable entry could not be deleted or a folder could not be read. A
// symbolic link is removed, never followed, also when `path` itself is one: what it points to
// lies outside the card's tree.
int DeleteVersionFolder(const std::string& path);

}  // namespace kest
