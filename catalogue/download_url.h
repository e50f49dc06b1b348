#pragma once
// The package address request ("/autodown/getdownloadurl?").

#include <cstdint>
#include <string>

namespace kest {

// Asks the server for the download address of the package `path` (a version's path, sent as
// it is) in `region`. The address when the answer parses with code 0, else empty.
std::string GetDownloadUrl(const std::string& path, int32_t region);

}  // namespace kest
