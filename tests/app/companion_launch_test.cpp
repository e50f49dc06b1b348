#include "app/companion_launch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

#include "app/startup.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

// A program folder as shipped: the main executable, the companion, and maybe a new copy.
class CompanionLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    test::WriteFile(program_, "old program");
  }
  void PutCompanion(const std::string& from = KEST_COMPANION_BINARY) {
    fs::copy_file(from, folder_ / "tolvoHelperUpdate");
  }
  void PutNewCopy() { test::WriteFile(folder_ / "temp/KEST update utility", "new program"); }

  test::TempDir runtime_{"kest-runtime"};
  test::TempDir folder_{"kest-program dir"};  // a blank in the folder name, too
  std::string program_ = folder_ / "KEST update utility";
};

// The quit sequence end to end: the main program holds its mutex, starts the companion and
// ends; the companion then puts the new copy in place.
TEST_F(CompanionLaunchTest, StartsTheCompanionWhichReplacesTheProgramAfterItEnds) {
  PutCompanion();
  PutNewCopy();
  SingleInstanceGuard guard;
  ASSERT_EQ(guard.Acquire(), SingleInstanceGuard::Outcome::Running);

  CompanionLaunch launch = LaunchCompanionIfWaiting(program_);
  ASSERT_EQ(launch.outcome, CompanionLaunch::Outcome::Started) << launch.error;
  EXPECT_EQ(launch.newCopy, folder_ / "temp/KEST update utility");
  EXPECT_EQ(launch.companion, folder_ / "tolvoHelperUpdate");
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // detached: not our child
  EXPECT_EQ(errno, ECHILD);

  guard.Release();  // the main program ends
  for (int i = 0; i < 1200 && ReadFile(program_) != "new program"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // at most a minute
  }
  EXPECT_EQ(ReadFile(program_), "new program");
}

TEST_F(CompanionLaunchTest, StartsNothingUnlessBothFilesAreThere) {
  CompanionLaunch launch = LaunchCompanionIfWaiting(program_);
  EXPECT_EQ(launch.outcome, CompanionLaunch::Outcome::NoNewCopy);

  PutNewCopy();
  launch = LaunchCompanionIfWaiting(program_);
  EXPECT_EQ(launch.outcome, CompanionLaunch::Outcome::NoCompanion);
  EXPECT_EQ(ReadFile(folder_ / "temp/KEST update utility"), "new program");

  // A new copy named after the executable as it runs: another name finds nothing.
  launch = LaunchCompanionIfWaiting(folder_ / "renamed utility");
  EXPECT_EQ(launch.outcome, CompanionLaunch::Outcome::NoNewCopy);
  EXPECT_EQ(launch.newCopy, folder_ / "temp/renamed utility");
}

TEST_F(CompanionLaunchTest, ACompanionThatCannotStartIsReportedAndChangesNothing) {
  PutNewCopy();
  test::WriteFile(folder_ / "tolvoHelperUpdate", "not a program");
  ::chmod((folder_ / "tolvoHelperUpdate").c_str(), 0644);
  CompanionLaunch launch = LaunchCompanionIfWaiting(program_);
  EXPECT_EQ(launch.outcome, CompanionLaunch::Outcome::StartFailed);
  EXPECT_FALSE(launch.error.empty());
  EXPECT_EQ(ReadFile(program_), "old program");
  EXPECT_EQ(ReadFile(folder_ / "temp/KEST update utility"), "new program");

  EXPECT_EQ(LaunchCompanionIfWaiting("").outcome, CompanionLaunch::Outcome::StartFailed);
}

TEST_F(CompanionLaunchTest, UsesTheRunningExecutableByDefault) {
  CompanionLaunch launch = LaunchCompanionIfWaiting();
  EXPECT_EQ(launch.outcome, CompanionLaunch::Outcome::NoNewCopy);
  EXPECT_EQ(fs::path(launch.newCopy).filename(), "kest_app_test");
  EXPECT_EQ(fs::path(launch.newCopy).parent_path().filename(), "temp");
}

}  // namespace
}  // namespace kest
