// Unpacking real 7z archives (made with 7za at test time) through the archive library.

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "install/extract.h"
#include "install/unique_fd.h"
#include "tests/install/install_test_env.h"

namespace kest::test {
namespace {

namespace fs = std::filesystem;

class ExtractTest : public InstallTest {
 protected:
  std::string src() const { return dir_ / "src"; }
  std::string out() const { return dir_ / "out"; }
  std::string archive() const { return dir_ / "pkg.7z"; }

  // Extracts with standard output captured into `printed`.
  bool Extract(const std::string& folder, std::string* printed = nullptr) {
    ::testing::internal::CaptureStdout();
    bool ok = Extract7ZWithLibrary(archive(), folder);
    std::string text = ::testing::internal::GetCapturedStdout();
    if (printed) *printed = text;
    return ok;
  }
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

time_t MtimeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

TEST_F(ExtractTest, UnpacksFoldersFilesReadOnlyStateAndTimes) {
  WriteFile(src() + "/CarDB/BENZ/V10.15/data.en", "data");
  WriteFile(src() + "/readme.txt", "read me");
  WriteFile(src() + "/locked.txt", "locked");
  fs::create_directories(src() + "/empty");
  ::chmod((src() + "/locked.txt").c_str(), 0444);
  struct timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
  ::utimensat(AT_FDCWD, (src() + "/readme.txt").c_str(), times, 0);
  Make7z(archive(), src());

  std::string printed;
  ASSERT_TRUE(Extract(out(), &printed));
  EXPECT_EQ(ReadFile(out() + "/CarDB/BENZ/V10.15/data.en"), "data");
  EXPECT_EQ(ReadFile(out() + "/readme.txt"), "read me");
  EXPECT_TRUE(fs::is_directory(out() + "/empty"));
  EXPECT_EQ(MtimeOf(out() + "/readme.txt"), 1'600'000'000);
  // Read-only in the archive (mode 0444, stored in the attribute word's high half, whose
  // low 14 bits carry the read-only bit): no write permission on disk.
  EXPECT_EQ(ModeOf(out() + "/locked.txt") & 0222, 0u);
  EXPECT_NE(ModeOf(out() + "/readme.txt") & S_IWUSR, 0u);
  EXPECT_NE(printed.find("Extracting  CarDB/BENZ/V10.15/data.en\n"), std::string::npos);
}

TEST_F(ExtractTest, ReplacesReadOnlyFilesAndAcceptsExistingFolders) {
  WriteFile(src() + "/a/b/c.txt", "new");
  Make7z(archive(), src());
  WriteFile(out() + "/a/b/c.txt", "old and longer");
  ::chmod((out() + "/a/b/c.txt").c_str(), 0444);
  WriteFile(out() + "/a/keep.txt", "untouched");

  // With and without a trailing separator the same paths are written.
  ASSERT_TRUE(Extract(out() + "/"));
  EXPECT_EQ(ReadFile(out() + "/a/b/c.txt"), "new");
  EXPECT_EQ(ReadFile(out() + "/a/keep.txt"), "untouched");
  ASSERT_TRUE(Extract(out()));
  EXPECT_EQ(ReadFile(out() + "/a/b/c.txt"), "new");
}

TEST_F(ExtractTest, CreatesMissingOutputFolderWithParents) {
  WriteFile(src() + "/x.txt", "x");
  Make7z(archive(), src());
  ASSERT_TRUE(Extract(out() + "/one/two"));
  EXPECT_EQ(ReadFile(out() + "/one/two/x.txt"), "x");
}

TEST_F(ExtractTest, ItemWithoutPathBecomesContent) {
  Make7zFromStdin(archive(), "from a pipe");
  ASSERT_TRUE(Extract(out()));
  EXPECT_EQ(ReadFile(out() + "/[Content]"), "from a pipe");
}

TEST_F(ExtractTest, ItemsHoldingBackslashesAreUnpackedIntoFolders) {
  WriteFile(src() + "/sys\\en\\menu.txt", "menu");  // a name made on Windows
  Make7z(archive(), src());
  ASSERT_TRUE(Extract(out()));
  EXPECT_EQ(ReadFile(out() + "/sys/en/menu.txt"), "menu");
}

TEST_F(ExtractTest, UnicodeNamesAndPathsBeyondThePathLimitArriveIntact) {
  // The last character lies outside the BMP: it travels as a surrogate pair.
  const std::string name = "Größe_日本語_한국어_😀.txt";
  std::string long_part(200, 'd');
  WriteFile(src() + "/" + long_part + "/" + name, "unicode");
  Make7z(archive(), src());

  // An output folder whose path alone is longer than PATH_MAX (4096).
  std::string deep = out();
  std::vector<std::string> parts;
  for (int i = 0; i < 24; ++i) parts.push_back(std::string(200, static_cast<char>('a' + i)));
  for (const std::string& p : parts) deep += "/" + p;
  ASSERT_GT(deep.size(), 4096u);
  ASSERT_TRUE(Extract(deep));

  UniqueFd folder = OpenFolderPath(deep + "/" + long_part, false);
  ASSERT_TRUE(folder.valid());
  UniqueFd file(::openat(folder.get(), name.c_str(), O_RDONLY));
  ASSERT_TRUE(file.valid()) << "the name did not arrive byte for byte";
  char buffer[16] = {};
  EXPECT_EQ(::read(file.get(), buffer, sizeof buffer), 7);
  EXPECT_EQ(std::string(buffer), "unicode");
}

TEST_F(ExtractTest, DamagedItemIsReportedAndFailsTheExtraction) {
  std::string payload(4096, 'p');
  WriteFile(src() + "/good.txt", "good");
  WriteFile(src() + "/bad.bin", payload);
  Make7z(archive(), src(), {"-mx0"});  // stored: the item's bytes stand in the file as they are
  DamageItemData(archive(), payload);

  std::string printed;
  EXPECT_FALSE(Extract(out(), &printed));
  EXPECT_NE(printed.find("bad.bin  :  Error : CRC Failed\n"), std::string::npos) << printed;
  // The other items are written; the damaged one stays behind with what the library wrote.
  EXPECT_EQ(ReadFile(out() + "/good.txt"), "good");
  EXPECT_EQ(ReadFile(out() + "/bad.bin").size(), payload.size());
}

TEST_F(ExtractTest, EncryptedArchivesEndWithPasswordIsNotDefined) {
  WriteFile(src() + "/secret.txt", std::string(1000, 's'));
  for (bool encrypted_headers : {false, true}) {
    SCOPED_TRACE(encrypted_headers ? "encrypted headers" : "plain headers");
    std::vector<std::string> switches = {"-pSECRET"};
    if (encrypted_headers) switches.push_back("-mhe=on");
    fs::remove(archive());
    fs::remove_all(out());
    Make7z(archive(), src(), switches);
    std::string printed;
    EXPECT_FALSE(Extract(out(), &printed));
    EXPECT_NE(printed.find("Error: \nPassword is not defined\n"), std::string::npos);
    if (encrypted_headers) {
      EXPECT_FALSE(Exists(out()));  // not even the names are known: nothing is written
    } else {
      EXPECT_NE(ReadFile(out() + "/secret.txt"), std::string(1000, 's'));
    }
  }
}

TEST_F(ExtractTest, RefusesArchivesWithPathsLeadingOutBeforeWritingAnything) {
  WriteFile(dir_ / "work/sub/inner.txt", "inner");
  WriteFile(dir_ / "work/evil.txt", "evil");
  WriteFile(dir_ / "work/sub/..\\bs-evil.txt", "evil");
  struct Case {
    const char* what;
    std::vector<std::string> paths;  // given to 7za -spf from work/sub
  };
  const std::string absolute = dir_ / "work/evil.txt";
  const Case cases[] = {
      {"climbing with ../", {"inner.txt", "../evil.txt"}},
      {"climbing with ..\\", {"inner.txt", "..\\bs-evil.txt"}},
      {"absolute path", {"inner.txt", absolute}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(archive());
    Make7zWithPaths(archive(), dir_ / "work/sub", c.paths);
    std::string printed;
    EXPECT_FALSE(Extract(out() + "/target", &printed));
    EXPECT_NE(printed.find("Unsafe item path"), std::string::npos);
    EXPECT_FALSE(Exists(out())) << "something was written";
  }
}

TEST_F(ExtractTest, NeverWritesThroughALinkLeadingOut) {
  fs::create_directories(dir_ / "outside");
  WriteFile(dir_ / "outside/target.txt", "outside");
  fs::create_directories(out());
  fs::create_directory_symlink(dir_ / "outside", out() + "/linkdir");
  fs::create_symlink(dir_ / "outside/target.txt", out() + "/linkfile.txt");

  // An item through a linked folder: refused, the extraction stops.
  WriteFile(src() + "/linkdir/target.txt", "through the link");
  Make7z(archive(), src());
  std::string printed;
  EXPECT_FALSE(Extract(out(), &printed));
  EXPECT_NE(printed.find("Can not open output file"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "outside/target.txt"), "outside");

  // An item named like a link to a file: the link is replaced, its target untouched.
  fs::remove_all(src());
  fs::remove(archive());
  WriteFile(src() + "/linkfile.txt", "replaced");
  Make7z(archive(), src());
  EXPECT_TRUE(Extract(out()));
  EXPECT_FALSE(fs::is_symlink(out() + "/linkfile.txt"));
  EXPECT_EQ(ReadFile(out() + "/linkfile.txt"), "replaced");
  EXPECT_EQ(ReadFile(dir_ / "outside/target.txt"), "outside");
}

TEST_F(ExtractTest, ALinkStoredInTheArchiveComesOutAsAPlainFile) {
  fs::create_directories(src());
  fs::create_symlink("/etc/passwd", src() + "/link");
  Make7z(archive(), src(), {"-snl"});
  ASSERT_TRUE(Extract(out()));
  EXPECT_FALSE(fs::is_symlink(out() + "/link"));
  EXPECT_EQ(ReadFile(out() + "/link"), "/etc/passwd");
}

// The classic: a stored link "l" -> ../outside, then an item "l/x" meant to land through it.
TEST_F(ExtractTest, AStoredLinkFollowedByAnItemThroughItWritesNothingOutside) {
  fs::create_directories(dir_ / "outside");
  fs::create_directories(dir_ / "links");
  fs::create_symlink("../outside", dir_ / "links/l");
  Make7z(archive(), dir_ / "links", {"-snl"});
  WriteFile(dir_ / "through/l/x", "pwned");
  Make7z(archive(), dir_ / "through");  // adds "l/x" to the same archive
  EXPECT_FALSE(Extract(out()));
  EXPECT_EQ(CountEntries(dir_ / "outside"), 0u);
}

TEST_F(ExtractTest, AFolderInTheWayOfAFileStopsTheExtraction) {
  WriteFile(src() + "/name", "file");
  Make7z(archive(), src());
  fs::create_directories(out() + "/name/inside");
  std::string printed;
  EXPECT_FALSE(Extract(out(), &printed));
  EXPECT_NE(printed.find("Can not delete output file"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(out() + "/name/inside"));
}

TEST_F(ExtractTest, NotAnArchiveFails) {
  WriteFile(archive(), "7z but nothing else of an archive");
  EXPECT_FALSE(Extract(out()));
  WriteFile(archive(), "");
  EXPECT_FALSE(Extract(out()));
  EXPECT_FALSE(Extract7ZWithLibrary(dir_ / "missing.7z", out()));
}

TEST_F(ExtractTest, MissingLibraryIsWrittenAgainAndAForeignFileIsRefused) {
  WriteFile(src() + "/x.txt", "x");
  Make7z(archive(), src());
  fs::remove(SevenZipDllPath());
  ASSERT_TRUE(Extract(out()));
  EXPECT_EQ(SevenZipDllPath(), tmp_.path() + "/7z.so");
  EXPECT_TRUE(fs::exists(SevenZipDllPath()));

  WriteFile(dir_ / "not-a-library.so", "junk");
  SetSevenZipDllPath(dir_ / "not-a-library.so");
  EXPECT_FALSE(Extract(out()));
}

// Multi-threaded LZMA2 calls the callbacks from the library's own threads: many items across
// several blocks, each checked byte for byte (the sanitizer build watches for races on our
// side's memory).
TEST_F(ExtractTest, MultiThreadedArchivesUnpackExactly) {
  for (int i = 0; i < 64; ++i) {
    std::string content;
    for (int j = 0; j < 4000; ++j) content += std::to_string(i * 7919 + j * 31);
    WriteFile(src() + "/f" + std::to_string(i) + ".txt", content);
  }
  Make7z(archive(), src(), {"-m0=lzma2", "-mmt=4", "-mx1", "-ms=64k"});
  ASSERT_TRUE(Extract(out()));
  for (int i = 0; i < 64; ++i) {
    std::string name = "/f" + std::to_string(i) + ".txt";
    ASSERT_EQ(ReadFile(out() + name), ReadFile(src() + name)) << name;
  }
}

TEST_F(ExtractTest, APausedExtractionWaitsAndThenCompletesTheFiles) {
  std::string big(8 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  WriteFile(src() + "/big.bin", big);
  Make7z(archive(), src(), {"-mx1"});

  WorkGate().Close();
  ::testing::internal::CaptureStdout();
  auto done =
      std::async(std::launch::async, [&] { return Extract7ZWithLibrary(archive(), out()); });
  // While the gate is closed the extraction cannot finish, however fast the machine.
  EXPECT_EQ(done.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  WorkGate().Open();
  ASSERT_EQ(done.wait_for(std::chrono::minutes(2)), std::future_status::ready);
  ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(done.get());
  EXPECT_EQ(ReadFile(out() + "/big.bin"), big);
}

TEST_F(ExtractTest, ToolUnpacksPathsWithSpacesAndDoesNotWaitForAPassword) {
  WriteFile(src() + "/a b/c d.txt", "spaced");
  Make7z(dir_ / "with space.7z", src());
  EXPECT_TRUE(Extract7ZWithTool(dir_ / "with space.7z", out() + "/x y"));
  EXPECT_EQ(ReadFile(out() + "/x y/a b/c d.txt"), "spaced");

  // The tool prompts for a password on a terminal; with /dev/null it fails at once.
  Make7z(dir_ / "locked.7z", src(), {"-pSECRET"});
  EXPECT_FALSE(Extract7ZWithTool(dir_ / "locked.7z", out() + "/locked"));

  // A missing tool file is written again from the resource.
  fs::remove(SevenZipExePath());
  EXPECT_TRUE(Extract7ZWithTool(dir_ / "with space.7z", out() + "/again"));
  EXPECT_EQ(ReadFile(out() + "/again/a b/c d.txt"), "spaced");
}

}  // namespace
}  // namespace kest::test
