#pragma once
// Moving bytes from one open file to another through the kernel's copy path (copy_file_range:
// no user-space buffer, and a server-side or block-level copy where the file system has one),
// falling back to a bounded read/write buffer where the kernel refuses (across file system
// types, on older kernels, special files). The pause gate is passed between chunks.

#include <cstdint>

namespace kest {

inline constexpr uint64_t kCopyToEnd = UINT64_MAX;

// Copies `length` bytes (or up to the end of the input with kCopyToEnd) from `in_fd` at
// `offset` to the current position of `out_fd`. True when every byte arrived; false on a read
// or write error (a full disk) or when the input ends before `length` bytes.
bool CopyFileBytes(int in_fd, uint64_t offset, uint64_t length, int out_fd);

}  // namespace kest
