#pragma once
// Writing files whole: every byte of a buffer to a descriptor, and a file replaced in one step
// so that a reader (or a crash) never meets it half-written.

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/expected.h"

namespace kest::platform {

// Writes all `size` bytes, going on after a short write and after a signal (EINTR). False when
// a write fails or writes nothing: a full disk must not pass for a written file.
bool WriteAll(int fd, const void* data, size_t size);
inline bool WriteAll(int fd, std::string_view bytes) {
  return WriteAll(fd, bytes.data(), bytes.size());
}

struct ReplaceOptions {
  mode_t mode = 0600;  // the new file's mode, whatever the umask (0600: it may hold a password)
  bool sync = true;    // fsync before the rename, so that a power failure keeps the old file
};

// Writes `content` to a fresh file beside `path` ("<path>.XXXXXX") and renames it over `path`.
// On failure the temporary file is removed and the file at `path` is left as it was. The
// error names the file it concerns.
Status ReplaceFileAtomically(const std::string& path, std::string_view content,
                             const ReplaceOptions& options = {});

}  // namespace kest::platform
