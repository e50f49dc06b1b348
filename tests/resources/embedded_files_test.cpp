#include "resources/embedded_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedTmpDir;

std::string Bytes(std::span<const std::byte> span) {
  return std::string(reinterpret_cast<const char*>(span.data()), span.size());
}

struct Embedded {
  const char* type;
  int id;
  const char* file;    // name in the temporary folder
  const char* source;  // the file the build embedded
};
const Embedded kEmbedded[] = {
    {"XML", 155, "en.xml", KEST_EN_XML_SOURCE},
    {"EXE", 140, "7z", KEST_7ZA_SOURCE},
    {"DLL", 208, "7z.so", KEST_7Z_SO_SOURCE},
};

TEST(EmbeddedResources, CarryTheBuildInputsByteForByte) {
  for (const Embedded& e : kEmbedded) {
    SCOPED_TRACE(e.file);
    std::string source = ReadFile(e.source);
    ASSERT_FALSE(source.empty());
    EXPECT_EQ(Bytes(FindEmbeddedResource(e.type, e.id)), source);
  }
  EXPECT_TRUE(FindEmbeddedResource("XML", 140).empty());
  EXPECT_TRUE(FindEmbeddedResource("xml", 155).empty());
  EXPECT_TRUE(FindEmbeddedResource("BITMAP", 130).empty());
}

TEST(ExtractEmbeddedFiles, WritesAllThreeAndSetsTheirPaths) {
  ScopedTmpDir tmp;
  ExtractEmbeddedFiles();
  EXPECT_EQ(EnXmlPath(), tmp.path() + "/en.xml");
  EXPECT_EQ(SevenZipExePath(), tmp.path() + "/7z");
  EXPECT_EQ(SevenZipDllPath(), tmp.path() + "/7z.so");
  for (const Embedded& e : kEmbedded) {
    EXPECT_EQ(ReadFile(tmp.path() + "/" + e.file), ReadFile(e.source)) << e.file;
  }
  // Nothing but the three files: no temporary name is left behind.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(tmp.path())) ++entries;
  EXPECT_EQ(entries, 3u);

  // The tool is written executable and runs: 7za without arguments prints its usage.
  struct stat st {};
  ASSERT_EQ(::stat(SevenZipExePath().c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  Expected<int> status = platform::RunAndWait({SevenZipExePath()}, {.quiet = true});
  ASSERT_TRUE(status.ok()) << status.error().message;
  EXPECT_EQ(*status, 0);
}

TEST(ExtractEmbeddedFiles, ReplacesOldOrChangedFilesAndRewritesDeletedOnes) {
  ScopedTmpDir tmp;
  test::WriteFile(tmp.path() + "/en.xml", "<resources><string name=\"x\">stale</string>");
  test::WriteFile(tmp.path() + "/7z", "old tool, longer than nothing");
  ASSERT_EQ(::chmod((tmp.path() + "/7z").c_str(), 0444), 0);  // read-only: replaced all the same
  ExtractEmbeddedFiles();
  ASSERT_EQ(fs::remove(tmp.path() + "/7z.so"), true);
  ExtractEmbeddedFiles();  // a second start
  for (const Embedded& e : kEmbedded) {
    EXPECT_EQ(ReadFile(tmp.path() + "/" + e.file), ReadFile(e.source)) << e.file;
  }
}

TEST(ExtractEmbeddedFiles, AFileThatCannotBeWrittenLeavesOnlyItsPathEmpty) {
  ScopedTmpDir tmp;
  // A folder in the way of "7z.so": the rename onto it fails for root too.
  fs::create_directories(tmp.path() + "/7z.so/inside");
  SetSevenZipDllPath("/stale/path");
  ExtractEmbeddedFiles();
  EXPECT_EQ(SevenZipDllPath(), "");
  EXPECT_EQ(EnXmlPath(), tmp.path() + "/en.xml");
  EXPECT_EQ(SevenZipExePath(), tmp.path() + "/7z");
  EXPECT_TRUE(fs::is_directory(tmp.path() + "/7z.so/inside"));
}

TEST(ExtractEmbeddedFiles, AnUnwritableTemporaryFolderDoesNotStopStartUp) {
  ScopedTmpDir tmp;
  // A read-only mount refuses writes to root as well; without the right to mount, a folder
  // without write permission does the same for an ordinary user.
  bool mounted = ::mount("kest-ro", tmp.path().c_str(), "tmpfs", MS_RDONLY, "size=1m") == 0;
  if (!mounted) {
    if (::geteuid() == 0) GTEST_SKIP() << "may not mount a read-only tmpfs";
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0555), 0);
  }
  ExtractEmbeddedFiles();
  EXPECT_EQ(EnXmlPath(), "");
  EXPECT_EQ(SevenZipExePath(), "");
  EXPECT_EQ(SevenZipDllPath(), "");
  if (mounted) ::umount(tmp.path().c_str());
}

TEST(WriteEmbeddedResource, RefusesMissingResourcesAndNamesWithAFolder) {
  ScopedTmpDir tmp;
  EXPECT_EQ(WriteEmbeddedResource("XML", 999, "x.xml"), "");
  EXPECT_EQ(WriteEmbeddedResource("XML", 155, "../escaped.xml"), "");
  EXPECT_EQ(WriteEmbeddedResource("XML", 155, ""), "");
  EXPECT_FALSE(test::Exists(tmp.path() + "/x.xml"));
  EXPECT_EQ(WriteEmbeddedResource("XML", 155, "copy.xml"), tmp.path() + "/copy.xml");
}

}  // namespace
}  // namespace kest
