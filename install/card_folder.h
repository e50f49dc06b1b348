#pragma once
// The process-wide card folder (the storage card's root) and its free space. Safe to use from
// any thread: the pages set it, the workers read it.

#include <cstdint>
#include <string>

namespace kest {

// When `path` names an existing folder it becomes the card folder (as given) and the result
// is true; otherwise nothing changes and the result is false.
bool SetCardFolder(const std::string& path);
// The card folder; empty until one was set.
std::string CardFolder();

// Bytes the calling user may still write on the card folder's volume; 0 when the system
// cannot tell (no card folder, a vanished card).
uint64_t GetCardFreeSpace();

}  // namespace kest
