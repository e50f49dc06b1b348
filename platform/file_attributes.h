#pragma once
// File attributes in the bit values the card's FAT world uses, mapped onto Linux.
//
// Reading (lstat, not following a symbolic link):
//   ReadOnly  0x01  the owner has no write permission
//   Hidden    0x02  the name begins with "."
//   Directory 0x10  a folder
//   Archive   0x20  a regular file or symbolic link the owner may write: every file that the
//                   program, a download or an unpacked package writes has it, as on FAT, where
//                   writing a file sets the archive bit
//   Normal    0x80  never reported: on FAT it stands alone for "no other bit", and a writable
//                   file here always carries Archive
// So a read-only file has ReadOnly and no Archive, and a folder never has Archive: folder
// entries and write-protected files are what a deletion that only removes Archive or Normal
// entries leaves in place.
//
// Writing: ReadOnly clears every write permission bit; its absence gives the owner write
// permission back. Hidden, Archive, Normal and the rest cannot be expressed in a mode and are
// ignored.

#include <cstdint>
#include <optional>
#include <string>

namespace kest::platform {

namespace attr {
inline constexpr uint32_t ReadOnly = 0x01;
inline constexpr uint32_t Hidden = 0x02;
inline constexpr uint32_t System = 0x04;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
inline constexpr uint32_t Normal = 0x80;
}  // namespace attr

// Attributes of the entry at `path`, or nothing when it does not exist.
std::optional<uint32_t> GetFileAttributes(const std::string& path);
// Applies the ReadOnly bit of `attributes` to the entry's mode. False when that failed.
bool SetFileAttributes(const std::string& path, uint32_t attributes);
// Gives the owner write permission again (the attributes minus ReadOnly).
bool ClearReadOnly(const std::string& path);

// The mapping itself, on a mode and a name, for the tests and for callers that already hold
// a stat result.
uint32_t AttributesFromMode(uint32_t mode, const std::string& name);

}  // namespace kest::platform
