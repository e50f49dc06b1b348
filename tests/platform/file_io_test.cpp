#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/file_io.h"
#include "tests/support/sized_mount.h"
#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

namespace fs = std::filesystem;

std::atomic<int> g_interruptions{0};
void CountInterruption(int) { g_interruptions.fetch_add(1); }

// Bytes that show where a piece went missing or came twice.
std::string Numbered(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i) text += std::to_string(i) + ",";
  text.resize(size);
  return text;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  return names;
}

// A write into a pipe that a signal interrupts returns what it wrote so far, or EINTR: both
// must be carried on from, not taken for the end.
TEST(WriteAll, GoesOnAfterShortWritesAndSignals) {
  struct sigaction action {};
  action.sa_handler = CountInterruption;  // no SA_RESTART: the write returns early
  sigemptyset(&action.sa_mask);
  struct sigaction saved {};
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &saved), 0);
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);

  const std::string payload = Numbered(4 << 20);
  std::atomic<bool> done{false};
  bool written = false;
  std::thread writer([&] {
    written = WriteAll(pipe_fds[1], payload);
    ::close(pipe_fds[1]);
    done = true;
  });
  std::string received;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) continue;  // EINTR cannot reach this thread, but a read must never end the test
    received.append(buffer, static_cast<size_t>(n));
    if (!done) ::pthread_kill(writer.native_handle(), SIGUSR1);
  }
  writer.join();
  ::close(pipe_fds[0]);
  ::sigaction(SIGUSR1, &saved, nullptr);

  EXPECT_TRUE(written);
  EXPECT_GT(g_interruptions.load(), 0);
  EXPECT_EQ(received.size(), payload.size());
  EXPECT_TRUE(received == payload) << "the bytes arrived out of order or twice";
}

TEST(ReplaceFileAtomically, ReplacesTheContentWithTheModeAskedForWhateverTheUmask) {
  test::TempDir dir;
  const std::string path = dir / "option.ini";
  test::WriteFile(path, "old content that is longer than the new one");
  ::chmod(path.c_str(), 0644);
  mode_t umask_before = ::umask(0077);
  struct Case {
    ReplaceOptions options;
    mode_t mode;
  } cases[] = {
      {{}, 0600},                              // the default: the file may hold a password
      {{.mode = 0755, .sync = false}, 0755},   // an executable tool, beyond the umask
      {{.mode = 0644}, 0644},
  };
  for (const Case& c : cases) {
    Status replaced = ReplaceFileAtomically(path, "new", c.options);
    ASSERT_TRUE(replaced.ok()) << replaced.error().message;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << std::oct << c.mode;
    EXPECT_EQ(test::ReadFile(path), "new");
  }
  ::umask(umask_before);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"option.ini"});  // no leftovers
}

TEST(ReplaceFileAtomically, AFailedWriteLeavesTheOldFileAsItWas) {
  test::SizedMount card(1 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  const std::string path = card.path() + "/catalogue.json";
  test::WriteFile(path, "the old catalogue");

  Status replaced = ReplaceFileAtomically(path, std::string(2 << 20, 'x'));
  ASSERT_FALSE(replaced.ok());
  EXPECT_NE(replaced.error().message.find("cannot write " + path), std::string::npos)
      << replaced.error().message;
  EXPECT_EQ(test::ReadFile(path), "the old catalogue");
  EXPECT_EQ(Entries(card.path()), std::vector<std::string>{"catalogue.json"});

  // The folder itself gone: nothing to write into, and the error names the file it tried.
  replaced = ReplaceFileAtomically(card.path() + "/missing/option.ini", "x");
  ASSERT_FALSE(replaced.ok());
  EXPECT_NE(replaced.error().message.find("missing/option.ini"), std::string::npos);
}

TEST(WriteAll, AFullFileSystemIsAFailureNotAShortFile) {
  test::SizedMount card(1 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  const std::string path = card.path() + "/lang.dat";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(WriteAll(fd, std::string(2 << 20, 'x')));
  ::close(fd);
  EXPECT_GT(fs::file_size(path), 0u);  // the first write was short, not refused
}

}  // namespace
}  // namespace kest::platform
