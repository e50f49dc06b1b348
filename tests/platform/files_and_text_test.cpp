#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "platform/file_attributes.h"
#include "platform/temp_files.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

TEST(AttributesFromMode, FollowsTheDocumentedMapping) {
  struct Case {
    uint32_t mode;
    const char* name;
    uint32_t attributes;
  };
  const Case cases[] = {
      {S_IFREG | 0644, "data.bin", attr::Archive},
      {S_IFREG | 0444, "data.bin", attr::ReadOnly},
      {S_IFREG | 0044, "data.bin", attr::ReadOnly},  // only the owner's write bit counts
      {S_IFREG | 0200, "data.bin", attr::Archive},
      {S_IFREG | 0644, ".hidden", attr::Archive | attr::Hidden},
      {S_IFDIR | 0755, "CarDB", attr::Directory},
      {S_IFDIR | 0555, ".old", attr::Directory | attr::ReadOnly | attr::Hidden},
      {S_IFLNK | 0777, "link", attr::Archive},
      {S_IFIFO | 0644, "fifo", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AttributesFromMode(c.mode, c.name), c.attributes) << c.name << " " << std::oct
                                                                << c.mode;
  }
}

TEST(FileAttributes, ReadOnlyIsSetAndClearedOnRealFiles) {
  test::TempDir dir;
  std::string file = dir / ".V10.15";
  test::WriteFile(file, "x");
  ::chmod(file.c_str(), 0664);
  EXPECT_EQ(GetFileAttributes(file), attr::Archive | attr::Hidden);
  EXPECT_EQ(GetFileAttributes(dir / ".V10.15/"), std::nullopt);  // a file is no folder
  EXPECT_EQ(GetFileAttributes(dir.path() + "/"), attr::Directory);

  ASSERT_TRUE(SetFileAttributes(file, attr::ReadOnly | attr::Hidden));
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(GetFileAttributes(file), attr::ReadOnly | attr::Hidden);

  ASSERT_TRUE(ClearReadOnly(file));
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0644u);  // the owner gets write permission back, nobody else

  EXPECT_EQ(GetFileAttributes(dir / "missing"), std::nullopt);
  EXPECT_FALSE(SetFileAttributes(dir / "missing", 0));
  EXPECT_FALSE(ClearReadOnly(dir / "missing"));
}

TEST(TempFolder, IsTmpdirWhenItNamesAFolderElseTheUsersOwnFolder) {
  const std::string own = "/tmp/kest-" + std::to_string(::getuid()) + "/";
  test::TempDir dir;
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  EXPECT_EQ(TempFolder(), dir.path() + "/");
  ::setenv("TMPDIR", (dir.path() + "/").c_str(), 1);
  EXPECT_EQ(TempFolder(), dir.path() + "/");
  ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
  EXPECT_EQ(TempFolder(), own);
  ::unsetenv("TMPDIR");
  EXPECT_EQ(TempFolder(), own);
  struct stat st {};
  ASSERT_EQ(::lstat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);  // others can neither read nor plant files there
}

TEST(CreateUniqueTempFile, MakesAnEmptyFileNamedAfterThePrefix) {
  test::TempDir dir;
  std::string a = CreateUniqueTempFile(dir.path(), "login");
  std::string b = CreateUniqueTempFile(dir.path() + "/", "login");
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(dir.path() + "/log", 0), 0u) << a;
  EXPECT_TRUE(test::Exists(a));
  EXPECT_EQ(test::ReadFile(a), "");
  EXPECT_EQ(CreateUniqueTempFile(dir.path(), "").rfind(dir.path() + "/", 0), 0u);
  std::string escaping = CreateUniqueTempFile(dir.path(), "../x");
  EXPECT_EQ(escaping.rfind(dir.path() + "/.._", 0), 0u) << escaping;  // stays in the folder
  EXPECT_EQ(CreateUniqueTempFile(dir / "missing", "abc"), "");
  EXPECT_EQ(CreateUniqueTempFile("", "abc"), "");
}

}  // namespace
}  // namespace kest::platform

namespace kest {
namespace {

TEST(Text, CaseInsensitiveComparisonCoversUnicodeNames) {
  EXPECT_TRUE(EqualsIgnoreCase("CarDB", "cardb"));
  EXPECT_TRUE(EqualsIgnoreCase("ÄRGER", "ärger"));
  EXPECT_TRUE(EqualsIgnoreCase("ΣΊΣΥΦΟΣ", "σίσυφοσ"));
  EXPECT_TRUE(EqualsIgnoreCase("ПРИВЕТ", "привет"));
  EXPECT_FALSE(EqualsIgnoreCase("V10.15", "V10.150"));
  EXPECT_EQ(ToLowerUnicode("V10 BENZ Ölwechsel 漢字"), "v10 benz ölwechsel 漢字");
}

TEST(Text, Utf8DecodingNeverLosesTheRest) {
  // Malformed sequences become U+FFFD and decoding goes on after them.
  EXPECT_EQ(Utf8ToUtf32("a\xff" "b"), U"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf32("\xc3"), U"\uFFFD");                     // cut short
  EXPECT_EQ(Utf8ToUtf32("\xc0\xaf"), U"\uFFFD\uFFFD");           // overlong "/"
  EXPECT_EQ(Utf8ToUtf32("\xed\xa0\x80"), U"\uFFFD\uFFFD\uFFFD");  // a surrogate
  std::string text = "Ä€😀";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
  EXPECT_EQ(Utf8Length(text), 3u);
}

TEST(Text, FormatAndTrim) {
  EXPECT_EQ(Format("%s ,code = %d", "Unknown error", -3), "Unknown error ,code = -3");
  std::string long_text(5000, 'x');
  EXPECT_EQ(Format("%s!", long_text.c_str()), long_text + "!");
  EXPECT_EQ(Format("%s", ""), "");
  EXPECT_EQ(Trim(" \t\r\n V10.15 \r\n"), "V10.15");
  EXPECT_EQ(Trim(" \t "), "");
}

}  // namespace
}  // namespace kest
