// Installing package files: 7z archives and package containers.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <sys/stat.h>
#include <thread>

#include "install/package_install.h"
#include "tests/support/sized_mount.h"
#include "tests/install/install_test_env.h"

namespace kest::test {
namespace {

namespace fs = std::filesystem;

class PackageInstallTest : public InstallTest {
 protected:
  std::string target() const { return dir_ / "KestSD"; }
  std::string package() const { return dir_ / "package.bin"; }

  int Install() {
    ::testing::internal::CaptureStdout();
    int result = Install7Z(package(), target());
    ::testing::internal::GetCapturedStdout();
    return result;
  }

  // A small 7z archive holding `path` with `content`.
  std::string ArchiveBytes(const std::string& path, const std::string& content) {
    std::string folder = dir_ / ("archive-src-" + std::to_string(++archives_));
    WriteFile(folder + "/" + path, content);
    std::string file = folder + ".7z";
    Make7z(file, folder);
    return ReadFile(file);
  }

  int archives_ = 0;
};

TEST_F(PackageInstallTest, AFileBeginningWith7zGoesToTheLibraryWhateverItsName) {
  WriteFile(package(), ArchiveBytes("CarDB/AUDI/V1.0/data.en", "audi"));
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(ReadFile(target() + "/CarDB/AUDI/V1.0/data.en"), "audi");

  WriteFile(package(), "7z");  // two bytes: still the library's, which refuses it
  EXPECT_EQ(Install(), 0);
}

TEST_F(PackageInstallTest, ContainerSkipsUpbaseUnpacksArchivesAndWritesTheRest) {
  std::vector<ContainerMember> members = {
      {"upbase.exe", "MZ the maker's updater"},
      {"sys_v2.7z", ArchiveBytes("sys/main.bin", "system program")},
      {"readme.txt", "plain member"},
  };
  WriteContainer(package(), members);
  ASSERT_EQ(Install(), 1);
  EXPECT_EQ(ReadFile(target() + "/sys/main.bin"), "system program");
  EXPECT_EQ(ReadFile(target() + "/readme.txt"), "plain member");  // offsets advanced past all
  EXPECT_FALSE(Exists(target() + "/upbase.exe"));
  EXPECT_FALSE(Exists(target() + "/sys_v2.7z"));
  // The archive member went through a temporary "insub" file, which is gone again.
  for (const auto& entry : fs::directory_iterator(tmp_.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("ins")) << entry.path();
  }
}

TEST_F(PackageInstallTest, ContainerFieldsMayStartWithBlanksAndMembersReplaceReadOnlyFiles) {
  WriteFile(target() + "/a.txt", "old");
  ::chmod((target() + "/a.txt").c_str(), 0444);
  ContainerOptions options;
  options.name_prefix = "  ";
  options.size_fields = {"  3", " 5"};
  options.directory_size_field = " 64";
  WriteContainer(package(), {{"a.txt", "new"}, {"b.txt", "bbbbb"}}, options);
  ASSERT_EQ(Install(), 1);
  EXPECT_EQ(ReadFile(target() + "/a.txt"), "new");
  EXPECT_EQ(ReadFile(target() + "/b.txt"), "bbbbb");
}

TEST_F(PackageInstallTest, RefusesFilesThatAreNoSoundContainerWithNothingWritten) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string valid_tail = ContainerBytes({{"x.txt", "x"}}).substr(1);  // 72 bytes
  ContainerOptions dir40;
  dir40.directory_size_field = "40";
  ContainerOptions dir_too_big;
  dir_too_big.directory_size_field = "96";
  ContainerOptions sizes_too_big;
  sizes_too_big.size_fields = {"5", "999999"};
  const Case cases[] = {
      {"71 bytes ending in a trailer", valid_tail.substr(1)},
      {"directory size not a multiple of 32", ContainerBytes({{"x.txt", "xxxxxxxxxx"}}, dir40)},
      {"directory begins before the file", ContainerBytes({{"x.txt", "x"}}, dir_too_big)},
      {"members larger than the data part",
       ContainerBytes({{"a.txt", "aaaaa"}, {"b.txt", "bb"}}, sizes_too_big)},
      {"member name climbing out", ContainerBytes({{"ok.txt", "ok"}, {"../evil", "e"}})},
      {"member name with a folder", ContainerBytes({{"ok.txt", "ok"}, {"sub/evil", "e"}})},
      {"member name with a backslash", ContainerBytes({{"ok.txt", "ok"}, {"..\\evil", "e"}})},
      {"member without a name", ContainerBytes({{"ok.txt", "ok"}, {"", "e"}})},
      {"text file", std::string(500, 't')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(package(), c.bytes);
    EXPECT_EQ(Install(), 0);
    EXPECT_EQ(CountEntries(target()), 0u);
    EXPECT_FALSE(Exists(dir_ / "evil"));
  }
  EXPECT_EQ(Install7Z(dir_ / "missing", target()), 0);
}

TEST_F(PackageInstallTest, AStopRequestIsSeenBeforeEachMember) {
  WriteContainer(package(), {{"a.txt", "a"}});
  SetStopFlag(1);
  EXPECT_EQ(Install(), 0);
  EXPECT_FALSE(Exists(target() + "/a.txt"));
}

// The first member is an archive; while the tool unpacks it the user stops the update. The
// tool runs to its end, and the stop is seen before the second member.
TEST_F(PackageInstallTest, AStopBetweenMembersEndsTheInstallationThere) {
  std::string tool = dir_ / "slow-7z";
  WriteFile(tool,
            "#!/bin/sh\n"
            "touch \"$KEST_TEST_DIR/started\"\n"
            "while [ ! -e \"$KEST_TEST_DIR/go\" ]; do sleep 0.02; done\n"
            "exec " + SevenZaPath() + " \"$@\"\n");
  ::chmod(tool.c_str(), 0755);
  ::setenv("KEST_TEST_DIR", dir_.path().c_str(), 1);
  SetSevenZipExePath(tool);
  // (A container must not begin with an archive member: its first bytes would be "7z".)
  WriteContainer(package(), {{"upbase.exe", "MZ"},
                             {"first.7z", ArchiveBytes("first.txt", "first")},
                             {"second.txt", "second"}});

  auto result = std::async(std::launch::async, [&] { return Install7Z(package(), target()); });
  for (int i = 0; i < 6000 && !Exists(dir_ / "started"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(Exists(dir_ / "started"));
  RequestStop();
  WriteFile(dir_ / "go", "");
  ASSERT_EQ(result.wait_for(std::chrono::minutes(2)), std::future_status::ready);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(ReadFile(target() + "/first.txt"), "first");
  EXPECT_FALSE(Exists(target() + "/second.txt"));
}

TEST_F(PackageInstallTest, AMemberThatCannotBeWrittenOrUnpackedFailsTheInstallation) {
  fs::create_directories(target() + "/taken.txt");
  WriteContainer(package(), {{"taken.txt", "blocked by a folder"}});
  EXPECT_EQ(Install(), 0);

  std::string payload(4096, 'p');
  std::string folder = dir_ / "damaged-src";
  WriteFile(folder + "/p.bin", payload);
  Make7z(dir_ / "damaged.7z", folder, {"-mx0"});
  DamageItemData(dir_ / "damaged.7z", payload);
  WriteContainer(package(), {{"damaged.7z", ReadFile(dir_ / "damaged.7z")}});
  EXPECT_EQ(Install(), 0);
}

// Archive members go to the console tool, which strips "../" and refuses links leading out.
TEST_F(PackageInstallTest, HostileArchiveMembersWriteNothingOutsideTheTarget) {
  WriteFile(dir_ / "work/sub/inner.txt", "inner");
  WriteFile(dir_ / "work/evil.txt", "evil");
  Make7zWithPaths(dir_ / "climb.7z", dir_ / "work/sub", {"inner.txt", "../evil.txt"});
  fs::create_directories(dir_ / "links");
  fs::create_symlink("../outside", dir_ / "links/l");
  Make7z(dir_ / "link.7z", dir_ / "links", {"-snl"});
  WriteFile(dir_ / "through/l/x", "pwned");
  Make7z(dir_ / "link.7z", dir_ / "through");
  fs::create_directories(target());
  fs::create_directories(dir_ / "outside");

  WriteContainer(package(), {{"upbase.exe", "MZ"}, {"climb.7z", ReadFile(dir_ / "climb.7z")}});
  Install();
  EXPECT_EQ(ReadFile(target() + "/inner.txt"), "inner");
  EXPECT_FALSE(Exists(dir_ / "evil.txt"));
  WriteContainer(package(), {{"upbase.exe", "MZ"}, {"link.7z", ReadFile(dir_ / "link.7z")}});
  EXPECT_EQ(Install(), 0);  // the tool reports the refused item
  EXPECT_EQ(CountEntries(dir_ / "outside"), 0u);
}

TEST_F(PackageInstallTest, AFullDiskFailsTheInstallationWithoutPartialMembers) {
  SizedMount disk(1 << 20);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  std::string big(2 << 20, 'b');
  WriteContainer(package(), {{"small.txt", "fits"}, {"big.dat", big}});
  EXPECT_EQ(Install7Z(package(), disk.path()), 0);
  EXPECT_EQ(ReadFile(disk.path() + "/small.txt"), "fits");
  EXPECT_FALSE(Exists(disk.path() + "/big.dat"));

  // The same through the library: a stored item that does not fit.
  std::string folder = dir_ / "big-src";
  WriteFile(folder + "/big.dat", big);
  fs::remove(package());
  Make7z(package(), folder, {"-mx0"});
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Install7Z(package(), disk.path() + "/lib"), 0);
  ::testing::internal::GetCapturedStdout();
}

TEST_F(PackageInstallTest, LargeMembersArriveWholeThroughTheBoundedCopy) {
  std::string big(40 << 20, '\0');
  for (size_t i = 0; i < big.size(); i += 4096) big[i] = static_cast<char>(i >> 12);
  WriteContainer(package(), {{"big.dat", big}, {"small.txt", "tail"}});
  ASSERT_EQ(Install(), 1);
  EXPECT_EQ(ReadFile(target() + "/big.dat"), big);
  EXPECT_EQ(ReadFile(target() + "/small.txt"), "tail");
}

// `kest install PACKAGE FOLDER`.
TEST_F(PackageInstallTest, CommandLineReportsItsOutcome) {
  WriteContainer(package(), {{"a.txt", "a"}});
  std::string kest = KEST_CLI_PATH;
  EXPECT_EQ(RunIn(dir_.path(), {kest, "install", package(), target()}), 0);
  EXPECT_EQ(ReadFile(target() + "/a.txt"), "a");
  WriteFile(dir_ / "junk", std::string(100, 'j'));
  EXPECT_EQ(RunIn(dir_.path(), {kest, "install", dir_ / "junk", target()}), 1);
  EXPECT_EQ(RunIn(dir_.path(), {kest, "install", dir_ / "missing", target()}), 1);
  EXPECT_EQ(RunIn(dir_.path(), {kest, "install", package()}), 2);
}

}  // namespace
}  // namespace kest::test
