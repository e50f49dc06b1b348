#include "tests/install/install_test_env.h"

#include <filesystem>

namespace kest::test {

size_t InstallTest::CountEntries(const std::string& folder) {
  std::error_code ec;
  size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    ++n;
  }
  return n;
}

}  // namespace kest::test
