// The folder routines around an installation, and the card folder.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>

#include "install/card_folder.h"
#include "install/folder_tree.h"
#include "platform/work_control.h"
#include "tests/support/sized_mount.h"
#include "tests/support/temp_dir.h"

namespace kest::test {
namespace {

namespace fs = std::filesystem;

class FolderTreeTest : public ::testing::Test {
 protected:
  void TearDown() override { WorkGate().Open(); }
  TempDir dir_{"kest-folders"};
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST_F(FolderTreeTest, CopyReplacesFilesOfTheSameNameAndKeepsTheOthers) {
  WriteFile(dir_ / "src/CarDB/BENZ/V2/data.en", "v2");
  WriteFile(dir_ / "src/CarDB/BENZ/V2/.hidden", "hidden files are copied too");
  WriteFile(dir_ / "src/sys/locked.bin", "new locked");
  ::chmod((dir_ / "src/sys/locked.bin").c_str(), 0444);
  struct timespec times[2] = {{0, UTIME_OMIT}, {1'500'000'000, 0}};
  ::utimensat(AT_FDCWD, (dir_ / "src/CarDB/BENZ/V2/data.en").c_str(), times, 0);
  WriteFile(dir_ / "card/CarDB/BENZ/V1/data.en", "v1");
  WriteFile(dir_ / "card/sys/locked.bin", "old locked, longer");
  ::chmod((dir_ / "card/sys/locked.bin").c_str(), 0444);

  ASSERT_TRUE(CopyFolderTree(dir_ / "src", dir_ / "card"));
  EXPECT_EQ(ReadFile(dir_ / "card/CarDB/BENZ/V1/data.en"), "v1");
  EXPECT_EQ(ReadFile(dir_ / "card/CarDB/BENZ/V2/data.en"), "v2");
  EXPECT_EQ(ReadFile(dir_ / "card/CarDB/BENZ/V2/.hidden"), "hidden files are copied too");
  EXPECT_EQ(ReadFile(dir_ / "card/sys/locked.bin"), "new locked");
  EXPECT_EQ(ModeOf(dir_ / "card/sys/locked.bin") & 0222, 0u);  // read-only travels along
  EXPECT_EQ(fs::last_write_time(dir_ / "card/CarDB/BENZ/V2/data.en"),
            fs::last_write_time(dir_ / "src/CarDB/BENZ/V2/data.en"));
}

TEST_F(FolderTreeTest, CopyMakesOneMissingLevelAndRefusesEmptyOrMissingSources) {
  WriteFile(dir_ / "src/a.txt", "a");
  EXPECT_TRUE(CopyFolderTree(dir_ / "src", dir_ / "new"));
  EXPECT_EQ(ReadFile(dir_ / "new/a.txt"), "a");
  EXPECT_FALSE(CopyFolderTree(dir_ / "src", dir_ / "no/such/parent"));
  EXPECT_FALSE(CopyFolderTree("", dir_ / "new"));
  EXPECT_FALSE(CopyFolderTree(dir_ / "missing", dir_ / "new"));
}

TEST_F(FolderTreeTest, CopyNeverWritesThroughALinkOnTheDestination) {
  WriteFile(dir_ / "outside.txt", "outside");
  WriteFile(dir_ / "src/f.txt", "copied");
  fs::create_directories(dir_ / "card");
  fs::create_symlink(dir_ / "outside.txt", dir_ / "card/f.txt");
  EXPECT_TRUE(CopyFolderTree(dir_ / "src", dir_ / "card"));
  EXPECT_FALSE(fs::is_symlink(dir_ / "card/f.txt"));
  EXPECT_EQ(ReadFile(dir_ / "card/f.txt"), "copied");
  EXPECT_EQ(ReadFile(dir_ / "outside.txt"), "outside");
}

TEST_F(FolderTreeTest, ACardThatFillsUpFailsTheCopyAndKeepsNoPartialFile) {
  SizedMount card(1 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  const std::string chunk(400 << 10, 'c');
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) WriteFile(dir_ / "src/" + name, chunk);
  WriteFile(dir_ / "src/small.txt", "fits");

  EXPECT_FALSE(CopyFolderTree(dir_ / "src", card.path()));
  // Every file on the card is whole; the one that did not fit is not there at all.
  size_t whole = 0;
  for (const auto& entry : fs::directory_iterator(card.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadFile(entry.path().string()), ReadFile(dir_ / "src/" + name)) << name;
    ++whole;
  }
  EXPECT_LT(whole, 4u);
}

TEST_F(FolderTreeTest, APausedCopyWaitsAndThenCompletes) {
  std::string big(20 << 20, 'b');
  WriteFile(dir_ / "src/big.bin", big);
  WorkGate().Close();
  auto done = std::async(std::launch::async,
                         [&] { return CopyFolderTree(dir_ / "src", dir_ / "card"); });
  EXPECT_EQ(done.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  WorkGate().Open();
  ASSERT_EQ(done.wait_for(std::chrono::minutes(2)), std::future_status::ready);
  EXPECT_TRUE(done.get());
  EXPECT_EQ(ReadFile(dir_ / "card/big.bin"), big);
}

TEST_F(FolderTreeTest, FolderSizeSkipsDotFoldersAndAddsToTheRunningTotal) {
  WriteFile(dir_ / "t/a.bin", std::string(1000, 'a'));
  WriteFile(dir_ / "t/sub/b.bin", std::string(24, 'b'));
  WriteFile(dir_ / "t/.dotfile", std::string(10, 'd'));         // counted: a file
  WriteFile(dir_ / "t/.old/c.bin", std::string(5000, 'c'));     // not entered
  SetFolderSizeTotal(0);
  EXPECT_EQ(GetFolderSize(dir_ / "t"), 1034u);
  EXPECT_EQ(GetFolderSize(dir_ / "t/"), 2068u);  // the total is process-wide
  EXPECT_EQ(FolderSizeTotal(), 2068u);
  SetFolderSizeTotal(0);
  EXPECT_EQ(GetFolderSize(dir_ / "missing"), 0u);
}

TEST_F(FolderTreeTest, DeleteRemovesTheTreeButLeavesReadOnlyFilesAndLinkTargets) {
  WriteFile(dir_ / "outside/keep.txt", "keep");
  WriteFile(dir_ / "stage/a/b/c.txt", "c");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "stage/link");
  EXPECT_TRUE(DeleteFolderTree(dir_ / "stage/"));
  EXPECT_FALSE(Exists(dir_ / "stage"));
  EXPECT_EQ(ReadFile(dir_ / "outside/keep.txt"), "keep");

  WriteFile(dir_ / "stage/x/locked.txt", "locked");
  WriteFile(dir_ / "stage/y/free.txt", "free");
  ::chmod((dir_ / "stage/x/locked.txt").c_str(), 0444);
  EXPECT_FALSE(DeleteFolderTree(dir_ / "stage"));
  EXPECT_TRUE(Exists(dir_ / "stage/x/locked.txt"));
  EXPECT_FALSE(Exists(dir_ / "stage/y"));

  EXPECT_FALSE(DeleteFolderTree(""));
  EXPECT_FALSE(DeleteFolderTree(dir_ / "missing"));
}

TEST_F(FolderTreeTest, CreateFolderPathMakesEveryMissingLevel) {
  CreateFolderPath(dir_ / "p/q/r/s");
  EXPECT_TRUE(fs::is_directory(dir_ / "p/q/r/s"));
  CreateFolderPath(dir_ / "p/q/r/s");  // existing: nothing happens
  EXPECT_TRUE(fs::is_directory(dir_ / "p/q/r/s"));
}

TEST_F(FolderTreeTest, CardFolderIsSetOnlyToExistingFoldersAndReportsItsFreeSpace) {
  EXPECT_EQ(GetCardFreeSpace(), 0u);  // no card yet
  EXPECT_FALSE(SetCardFolder(dir_ / "missing"));
  WriteFile(dir_ / "file", "");
  EXPECT_FALSE(SetCardFolder(dir_ / "file"));
  EXPECT_EQ(CardFolder(), "");
  ASSERT_TRUE(SetCardFolder(dir_.path()));
  EXPECT_EQ(CardFolder(), dir_.path());
  EXPECT_GT(GetCardFreeSpace(), 0u);

  SizedMount card(4 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  ASSERT_TRUE(SetCardFolder(card.path()));
  EXPECT_EQ(GetCardFreeSpace(), 4u << 20);
  WriteFile(card.path() + "/one-mib", std::string(1 << 20, 'x'));
  EXPECT_EQ(GetCardFreeSpace(), 3u << 20);
}

}  // namespace
}  // namespace kest::test
