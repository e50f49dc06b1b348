// The companion program, run as a real process from a program folder of the test's own.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>

#include "platform/named_mutex.h"
#include "tests/selfupdate/child_process.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using platform::NamedMutex;
using test::ChildProcess;
using test::ReadFile;

constexpr double kGenerous = 60;  // seconds; only keeps a broken companion from hanging a test

mode_t Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// <folder>/tolvoHelperUpdate (a copy of the built companion), <folder>/KEST update utility and,
// when asked, <folder>/temp/KEST update utility. Named mutexes live in a runtime folder of the
// test's own, which the companion inherits through XDG_RUNTIME_DIR.
class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    fs::copy_file(KEST_COMPANION_BINARY, companion_);
    test::WriteFile(target_, "old program");
    ::chmod(target_.c_str(), 0755);
  }
  void PutNewCopy(mode_t mode = 0644) {
    test::WriteFile(new_copy_, "new program");
    ::chmod(new_copy_.c_str(), mode);
  }

  test::TempDir runtime_{"kest-runtime"};
  test::TempDir folder_{"kest-program"};
  std::string companion_ = folder_ / "tolvoHelperUpdate";
  std::string target_ = folder_ / "KEST update utility";
  std::string new_copy_ = folder_ / "temp/KEST update utility";
};

TEST_F(CompanionTest, WaitsWhileTheMainProgramRunsThenReplacesIt) {
  PutNewCopy(0644);  // delivered without its execute bit
  NamedMutex main_program;
  ASSERT_EQ(main_program.Create("kestHelperMutex"), NamedMutex::Outcome::Created);
  ChildProcess companion({companion_, new_copy_});

  // Three poll periods later it still waits and has touched nothing.
  EXPECT_EQ(companion.WaitForExit(3.5), std::nullopt);
  EXPECT_EQ(ReadFile(target_), "old program");
  EXPECT_EQ(ReadFile(new_copy_), "new program");

  main_program.Close();  // the main program ends
  EXPECT_EQ(companion.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "new program");
  EXPECT_TRUE(Mode(target_) & S_IXUSR);
  EXPECT_FALSE(test::Exists(new_copy_));
  EXPECT_FALSE(test::Exists(folder_ / "temp"));  // emptied, so removed
}

TEST_F(CompanionTest, AMainProgramKilledOutrightReleasesTheWait) {
  PutNewCopy(0755);
  // A stand-in main program: a child process that holds the mutex until it is killed.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t main_program = ::fork();
  if (main_program == 0) {
    NamedMutex mutex;
    char held = mutex.Create("kestHelperMutex") == NamedMutex::Outcome::Created;
    ssize_t ignored = ::write(ready[1], &held, 1);
    (void)ignored;
    for (;;) ::pause();
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_TRUE(held);

  ChildProcess companion({companion_});
  EXPECT_EQ(companion.WaitForExit(2.5), std::nullopt);
  ::kill(main_program, SIGKILL);
  ::waitpid(main_program, nullptr, 0);
  EXPECT_EQ(companion.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "new program");
}

TEST_F(CompanionTest, ReplacesAReadOnlyExecutableAndKeepsTempWithOtherFiles) {
  PutNewCopy(0755);
  test::WriteFile(folder_ / "temp/notes.txt", "kept");
  ::chmod(target_.c_str(), 0555);
  ::chmod((folder_ / "temp").c_str(), 0755);
  ChildProcess companion({companion_, new_copy_});
  EXPECT_EQ(companion.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "new program");
  EXPECT_EQ(Mode(target_), 0755u);
  EXPECT_EQ(ReadFile(folder_ / "temp/notes.txt"), "kept");
}

TEST_F(CompanionTest, PutsTheNewCopyInPlaceWhenTheExecutableIsMissing) {
  PutNewCopy(0700);
  fs::remove(target_);
  ChildProcess companion({companion_});
  EXPECT_EQ(companion.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "new program");
}

TEST_F(CompanionTest, WithNothingToDoItEndsAndChangesNothing) {
  ::chmod(target_.c_str(), 0444);
  ChildProcess companion({companion_});
  EXPECT_EQ(companion.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "old program");
  EXPECT_EQ(Mode(target_), 0444u);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder_.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"KEST update utility", "tolvoHelperUpdate"}));
}

TEST_F(CompanionTest, OfTwoStartedTogetherOneEndsWithStatusOne) {
  PutNewCopy();
  NamedMutex main_program;
  ASSERT_EQ(main_program.Create("kestHelperMutex"), NamedMutex::Outcome::Created);
  ChildProcess first({companion_, new_copy_});
  ChildProcess second({companion_, new_copy_});
  // One of them ends at once with 1; the other keeps waiting for the main program.
  std::optional<int> a;
  std::optional<int> b;
  for (int i = 0; i < 3000 && !a && !b; ++i) {
    a = first.WaitForExit(0.01);
    b = second.WaitForExit(0.01);
  }
  ASSERT_TRUE(a || b);
  EXPECT_EQ(a ? *a : *b, 1);
  EXPECT_EQ(ReadFile(target_), "old program");

  main_program.Close();
  ChildProcess& waiting = a ? second : first;
  EXPECT_EQ(waiting.WaitForExit(kGenerous), 0);
  EXPECT_EQ(ReadFile(target_), "new program");
}

TEST_F(CompanionTest, ACompanionThatFindsAnotherRunningEndsAtOnce) {
  PutNewCopy();
  NamedMutex other_companion;
  ASSERT_EQ(other_companion.Create("kestHelperUpdateMutex"), NamedMutex::Outcome::Created);
  ChildProcess companion({companion_});
  EXPECT_EQ(companion.WaitForExit(kGenerous), 1);
  EXPECT_EQ(ReadFile(target_), "old program");
  EXPECT_EQ(ReadFile(new_copy_), "new program");
}

}  // namespace
}  // namespace kest
