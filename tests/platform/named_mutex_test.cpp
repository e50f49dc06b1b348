#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

// Each test takes its mutexes in a runtime folder of its own.
class NamedMutexTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1); }
  test::TempDir runtime_{"kest-runtime"};
};

// A child process that takes the mutex, reports the outcome through a pipe and then holds it
// until it is killed.
pid_t StartHolder(const char* name, NamedMutex::Outcome& outcome) {
  int report[2];
  EXPECT_EQ(::pipe(report), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(report[0]);
    NamedMutex mutex;
    NamedMutex::Outcome result = mutex.Create(name);
    ssize_t ignored = ::write(report[1], &result, sizeof result);
    (void)ignored;
    for (;;) ::pause();
  }
  ::close(report[1]);
  EXPECT_EQ(::read(report[0], &outcome, sizeof outcome), static_cast<ssize_t>(sizeof outcome));
  ::close(report[0]);
  return pid;
}

TEST_F(NamedMutexTest, LockFileFollowsTheProtocol) {
  EXPECT_EQ(NamedMutexPath("kestHelperMutex"), runtime_.path() + "/kestHelperMutex.lock");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(NamedMutexPath("kestHelperMutex"),
            "/tmp/kestHelperMutex-" + std::to_string(::getuid()) + ".lock");
}

TEST_F(NamedMutexTest, ASecondHolderInAnotherProcessSeesAlreadyExisted) {
  NamedMutex mine;
  ASSERT_EQ(mine.Create("kestHelperMutex"), NamedMutex::Outcome::Created);
  EXPECT_TRUE(mine.Held());

  NamedMutex::Outcome theirs{};
  pid_t pid = StartHolder("kestHelperMutex", theirs);
  EXPECT_EQ(theirs, NamedMutex::Outcome::AlreadyExisted);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);

  // The flock tool of util-linux, as a script would test it, agrees.
  std::string lock = NamedMutexPath("kestHelperMutex");
  EXPECT_EQ(*RunAndWait({"flock", "-n", lock, "true"}), 1);
  mine.Close();
  EXPECT_FALSE(mine.Held());
  EXPECT_EQ(*RunAndWait({"flock", "-n", lock, "true"}), 0);
}

TEST_F(NamedMutexTest, SigkillOfTheHolderReleasesIt) {
  NamedMutex::Outcome theirs{};
  pid_t pid = StartHolder("kestHelperUpdateMutex", theirs);
  ASSERT_EQ(theirs, NamedMutex::Outcome::Created);
  NamedMutex mine;
  EXPECT_EQ(mine.Create("kestHelperUpdateMutex"), NamedMutex::Outcome::AlreadyExisted);
  EXPECT_FALSE(mine.Held());
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  EXPECT_EQ(mine.Create("kestHelperUpdateMutex"), NamedMutex::Outcome::Created);
}

TEST_F(NamedMutexTest, WithinOneProcessASecondCreateAlsoSeesIt) {
  NamedMutex first;
  NamedMutex second;
  ASSERT_EQ(first.Create("m"), NamedMutex::Outcome::Created);
  EXPECT_EQ(second.Create("m"), NamedMutex::Outcome::AlreadyExisted);
  NamedMutex moved = std::move(first);  // the lock goes with the object
  EXPECT_FALSE(first.Held());
  EXPECT_EQ(second.Create("m"), NamedMutex::Outcome::AlreadyExisted);
  moved.Close();
  EXPECT_EQ(second.Create("m"), NamedMutex::Outcome::Created);
  EXPECT_EQ(second.Create("other"), NamedMutex::Outcome::Created);  // Create closes the old one
  EXPECT_EQ(first.Create("m"), NamedMutex::Outcome::Created);
}

TEST_F(NamedMutexTest, FailsWhenTheLockFileCannotBeOpened) {
  ::setenv("XDG_RUNTIME_DIR", (runtime_ / "missing").c_str(), 1);
  NamedMutex mutex;
  EXPECT_EQ(mutex.Create("m"), NamedMutex::Outcome::Failed);
  EXPECT_FALSE(mutex.Held());
  // A symbolic link planted under the lock's name is not followed.
  ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  ASSERT_EQ(::symlink((runtime_ / "target").c_str(), NamedMutexPath("m").c_str()), 0);
  EXPECT_EQ(mutex.Create("m"), NamedMutex::Outcome::Failed);
  EXPECT_FALSE(test::Exists(runtime_ / "target"));
}

}  // namespace
}  // namespace kest::platform
