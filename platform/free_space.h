#pragma once
// Free space on a folder's volume.

#include <cstdint>
#include <optional>
#include <string>

namespace kest::platform {

// Bytes that the calling user may still write on the volume holding `folder` (statvfs
// f_bavail: without the blocks reserved for root), or nothing when the system cannot tell.
std::optional<uint64_t> FreeBytesForUser(const std::string& folder);

}  // namespace kest::platform
