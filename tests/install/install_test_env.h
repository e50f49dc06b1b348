#pragma once
// What the installation tests share: a temporary folder of the test's own (TMPDIR) with the
// 7-Zip files written into it as start-up writes them, a clear stop flag and an open gate.

#include <gtest/gtest.h>

#include <string>

#include "platform/work_control.h"
#include "resources/embedded_files.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace kest::test {

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ExtractEmbeddedFiles();
    ASSERT_FALSE(SevenZipDllPath().empty());
    ASSERT_FALSE(SevenZipExePath().empty());
    SetStopFlag(0);
    WorkGate().Open();
  }
  void TearDown() override {
    SetStopFlag(0);
    WorkGate().Open();
  }

  // Number of entries in a folder (0 when it does not exist).
  static size_t CountEntries(const std::string& folder);

  ScopedTmpDir tmp_;
  TempDir dir_{"kest-install"};
};

}  // namespace kest::test
