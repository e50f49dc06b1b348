#pragma once
// The user's temporary folder and uniquely named files in it.

#include <string>
#include <string_view>

namespace kest::platform {

// The user's temporary folder: $TMPDIR when it names a folder, else /tmp/kest-UID (made on first
// use, readable by its owner only; plain /tmp only if that folder cannot be ours). Always with a
// trailing "/". Read at every call, as the system's temporary path is.
std::string TempFolder();

// Creates an empty file with a unique name in `folder` and returns its full path; the name
// starts with the first three characters of `prefix`. Empty result when no file could be made.
std::string CreateUniqueTempFile(const std::string& folder, std::string_view prefix);

}  // namespace kest::platform
