#pragma once
// A small file system of a fixed size (tmpfs) for a "card" that fills up. Mounting needs root
// (or CAP_SYS_ADMIN); where it is not allowed, mounted() is false and reason() says why, and
// the test reports that it skipped:
//
//   SizedMount card(1 << 20);
//   if (!card.mounted()) GTEST_SKIP() << card.reason();
//
// The mount is made in a mount namespace of the test process's own where the system allows
// one, so that it vanishes with the process even if the test dies; otherwise it is unmounted
// when the object goes.

#include <cstdint>
#include <string>

#include "tests/support/temp_dir.h"

namespace kest::test {

class SizedMount final {
 public:
  explicit SizedMount(uint64_t size_bytes);
  ~SizedMount();
  SizedMount(const SizedMount&) = delete;
  SizedMount& operator=(const SizedMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace kest::test
