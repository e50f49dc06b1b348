// Which item paths and member names stay inside their folder.

#include <gtest/gtest.h>

#include "install/item_path.h"

namespace kest {
namespace {

TEST(ItemPath, SafePathsStayInsideTheirFolder) {
  struct Case {
    const char* path;
    bool safe;
  };
  const Case cases[] = {
      {"", true},
      {"a/b/c.txt", true},
      {"a\\b\\c.txt", true},
      {"./a/./b", true},
      {"..a/b..", true},
      {"C:\\x", true},  // a name with a colon, inside the folder on Linux
      {"../x", false},
      {"..\\x", false},
      {"a/../../x", false},
      {"a\\..", false},
      {"/etc/passwd", false},
      {"\\x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeItemPath(c.path), c.safe) << c.path;
}

TEST(ItemPath, SplitsOnBothSeparatorsAndDropsEmptyParts) {
  EXPECT_EQ(SplitItemPath("a\\b//./c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(SplitItemPath("./").empty());
}

TEST(ItemPath, PlainFileNames) {
  for (const char* name : {"readme.txt", "sys_v2.7z", "..hidden", "名前.bin"}) {
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  }
  for (const char* name : {"", ".", "..", "a/b", "a\\b", "tab\there"}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
}

}  // namespace
}  // namespace kest
