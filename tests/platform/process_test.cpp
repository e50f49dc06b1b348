#include "platform/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <csignal>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

using test::ReadFile;

// The started shell runs ls on its own descriptor table: ls inherits every descriptor the shell
// got from us, and, unlike the shell itself, opens none of its own while it lists them except
// the one for the listed folder (filtered out below). Listing the shell's table instead raced
// with the shell's pipe descriptors for the awk stage.
const char* kListOwnDescriptors =
    "ls -l /proc/self/fd > \"$1.part\" && mv \"$1.part\" \"$1\"";

// "lr-x------ 1 user user 64 Dec 11 09:00 0 -> /dev/null" lines into {0: "/dev/null"}.
std::map<int, std::string> ParseDescriptors(const std::string& listing) {
  std::map<int, std::string> fds;
  std::istringstream in(listing);
  std::string line;
  while (std::getline(in, line)) {
    size_t arrow = line.find(" -> ");
    if (arrow == std::string::npos) continue;
    size_t start = line.rfind(' ', arrow - 1);
    std::string target = line.substr(arrow + 4);
    if (target.rfind("/proc/", 0) == 0) continue;  // ls reading the folder itself
    fds[std::stoi(line.substr(start + 1, arrow - start - 1))] = target;
  }
  return fds;
}

TEST(RunAndWait, GivesTheExitStatusOrTheSignal) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"true"}, 0},
      {{"sh", "-c", "exit 3"}, 3},
      {{"/bin/sh", "-c", "exit 255"}, 255},
      {{"sh", "-c", "kill -KILL $$"}, 128 + SIGKILL},
      {{"sh", "-c", "kill -TERM $$"}, 128 + SIGTERM},
  };
  for (const auto& [argv, status] : cases) {
    Expected<int> result = RunAndWait(argv);
    ASSERT_TRUE(result.ok()) << argv.back();
    EXPECT_EQ(*result, status) << argv.back();
  }
}

TEST(RunAndWait, ReportsAProgramThatCannotBeStarted) {
  test::TempDir dir;
  test::WriteFile(dir / "not-executable", "#!/bin/sh\n");
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{dir / "missing"}, ENOENT},
      {{"kest-no-such-program-anywhere"}, ENOENT},
      {{dir / "not-executable"}, EACCES},
      {{dir.path()}, EACCES},
      {{}, EINVAL},
      {{""}, EINVAL},
  };
  for (const auto& [argv, code] : cases) {
    Expected<int> result = RunAndWait(argv);
    ASSERT_FALSE(result.ok()) << (argv.empty() ? "" : argv[0]);
    EXPECT_EQ(result.error().code, code) << result.error().message;
  }
}

TEST(RunAndWait, ChildGetsDevNullAsInputAndNoDescriptorOfOurs) {
  test::TempDir dir;
  int leaky = ::open("/dev/zero", O_RDONLY);  // deliberately without O_CLOEXEC
  ASSERT_GE(leaky, 3);
  std::string out = dir / "fds";
  Expected<int> status = RunAndWait({"sh", "-c", kListOwnDescriptors, "sh", out});
  ::close(leaky);
  ASSERT_TRUE(status.ok());
  ASSERT_EQ(*status, 0);
  std::map<int, std::string> fds = ParseDescriptors(ReadFile(out));
  EXPECT_EQ(fds.size(), 3u) << ReadFile(out);
  EXPECT_EQ(fds[0], "/dev/null");
  EXPECT_EQ(fds.count(leaky), 0u);
}

TEST(StartDetached, StartsWithoutWaitingAndLeavesNoZombie) {
  test::TempDir dir;
  int leaky = ::open("/dev/zero", O_RDONLY);
  std::string out = dir / "fds";
  std::string gate = dir / "gate";
  // The program waits for a file the test makes only after StartDetached has returned.
  std::string script = "while [ ! -e \"$2\" ]; do sleep 0.05; done; " +
                       std::string(kListOwnDescriptors);
  Status started = StartDetached({"sh", "-c", script, "sh", out, gate});
  ::close(leaky);
  ASSERT_TRUE(started.ok()) << started.error().message;
  test::WriteFile(gate, "");

  for (int i = 0; i < 600 && !test::Exists(out); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // generous: 30 s at most
  }
  std::map<int, std::string> fds = ParseDescriptors(ReadFile(out));
  EXPECT_EQ(fds.size(), 3u) << ReadFile(out);
  EXPECT_EQ(fds[0], "/dev/null");
  // The intermediate process has been reaped and the program is not our child.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(StartDetached, ReportsAProgramThatCannotBeStarted) {
  Status started = StartDetached({"/nonexistent/tolvoHelperUpdate", "/nonexistent/new"});
  ASSERT_FALSE(started.ok());
  EXPECT_EQ(started.error().code, ENOENT);
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(ProgramPath, IsTheRunningTestExecutable) {
  std::string path = ProgramPath();
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "kest_platform_test");
  EXPECT_EQ(ProgramFolder() + "/kest_platform_test", path);
}

}  // namespace
}  // namespace kest::platform
