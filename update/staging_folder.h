#pragma once
// The staging folder: packages are unpacked here and checked before they are copied onto the
// card.

#include <string>

#include "platform/temp_files.h"

namespace kest {

// TempFolder() + "KestSD/" (read at every call, as the temporary folder is).
inline std::string StagingFolder() { return platform::TempFolder() + "KestSD/"; }

}  // namespace kest
