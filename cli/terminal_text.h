#pragma once
// How the commands lay out what they print: sizes as a person reads them, and table columns.

#include <cstdint>
#include <string>

namespace kest::cli {

// "1.5 GiB", "12.0 MiB", "512 bytes".
std::string HumanSize(uint64_t bytes);

// `text` followed by blanks up to `width` characters (code points, so that "Citroën" lines up).
std::string PadColumn(const std::string& text, size_t width);

}  // namespace kest::cli
