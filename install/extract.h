#pragma once
// Unpacking a 7z archive into a folder: in process through the archive library, or with the
// console tool.

#include <string>

namespace kest {

// Unpacks every item of the 7z archive `archive` into `folder` (created when missing) through
// the library that start-up wrote (SevenZipDllPath(); written again from the resource when the
// file is gone). Status lines go to standard output.
//
// True when the archive opened and every item came out without an error. Refused with false
// before anything is written: an archive with an item path that is absolute or climbs out of
// the folder. Also false: no usable library, not a 7z archive, damaged headers, an encrypted
// archive ("Password is not defined"), an item that could not be written, and an item whose
// data was damaged (the item's file stays behind with what the library produced, and the
// extraction goes on with the other items).
bool Extract7ZWithLibrary(std::string archive, std::string folder);

// Runs the console tool (SevenZipExePath(); written again from the resource when the file is
// gone) as `7z x ARCHIVE -oFOLDER -y -bso0 -bsp0` from an argument vector, with standard input
// from /dev/null (an encrypted archive then fails instead of waiting for a password), and
// waits for it. -bso0 -bsp0 keep the tool's listing and progress off our standard output; its
// error lines still reach standard error. True when the tool ran and reported success (exit
// status 0, or 1 for warnings only).
bool Extract7ZWithTool(const std::string& archive, const std::string& folder);

}  // namespace kest
