#pragma once
// Installing one downloaded package file into a folder.
//
// A package is either a 7z archive (its first two bytes are "7z"), unpacked through the
// archive library, or a package container:
//
//   [member data][directory: one 32-byte entry per member][trailer: 40 bytes]
//
// all numbers decimal ASCII (leading blanks allowed, ending at the first non-digit). Trailer
// bytes 0-7: the directory's size; bytes 8-39: three fields that installation does not read.
// Entry bytes 0-8: the member's size; bytes 9-31: its file name (leading blanks skipped, ends
// at the first zero byte). Members lie one after the other from offset 0 in directory order.
// "upbase.exe" is skipped, a member whose name contains ".7z" is unpacked into the folder
// with the console tool, any other member is written into the folder under its name.

#include <string>

namespace kest {

// 1 when the package was installed, 0 when it was not. 0 also for: a file that is neither a
// 7z archive nor a container; a container refused before anything is written (its directory
// would begin before the start of the file, its member sizes add up to more than its data
// part, or a member name is not a plain file name); a member that could not be written
// completely or unpacked (installation stops there); and a stop request (the stop flag is read
// before each member; the pause gate is passed between members and between chunks).
int Install7Z(const std::string& package, const std::string& folder);

}  // namespace kest
