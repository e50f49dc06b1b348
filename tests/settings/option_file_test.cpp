#include "settings/option_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace kest {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

const char kGarbage[] = "\0\xff\xfe[HEL\0PER]\x01remember=1\n\xc3";

class OptionFileTest : public ::testing::Test {
 protected:
  void SetUp() override { SetOptionFilePath(path_); }
  void Put(const std::string& content) { WriteFile(path_, content); }

  test::TempDir dir_{"kest-options"};
  std::string path_ = dir_ / "option.ini";
};

TEST_F(OptionFileTest, DefaultsToTheProgramFolder) {
  SetOptionFilePath("");
  EXPECT_EQ(OptionFilePath().substr(OptionFilePath().rfind('/')), "/option.ini");
  EXPECT_EQ(OptionFilePath().rfind('/'), OptionFilePath().find("/option.ini"));
}

TEST_F(OptionFileTest, LoadsTheRememberedLoginWhateverTheFileHolds) {
  const std::string long_value(300, 'a');
  std::string long_umlauts;
  for (int i = 0; i < 300; ++i) long_umlauts += "ä";
  struct Case {
    const char* what;
    std::optional<std::string> file;  // nothing: no file at all
    bool remembered;
    std::string account;
    std::string password;
  };
  const Case cases[] = {
      {"no file", std::nullopt, false, "", ""},
      {"remembered", "[HELPER]\nremember=1\nusername=anna\npassword=s3cret\n", true, "anna",
       "s3cret"},
      {"not remembered: the keys are not given out",
       "[HELPER]\nremember=0\nusername=anna\npassword=s3cret\n", false, "", ""},
      {"no HELPER section", "[SERVER]\nhost=example.org\n", false, "", ""},
      {"remember without keys", "[HELPER]\nremember=1\n", true, "", ""},
      {"remember is any non-zero leading number", "[HELPER]\nremember=2x\nusername=a\n", true,
       "a", ""},
      {"remember is not a number", "[HELPER]\nremember=yes\nusername=a\n", false, "", ""},
      {"CRLF line ends", "[HELPER]\r\nremember=1\r\nusername=anna\r\npassword=pw\r\n", true,
       "anna", "pw"},
      {"names ignore letter case", "[helper]\nREMEMBER=1\nUserName=anna\n", true, "anna", ""},
      {"the first of two keys wins", "[HELPER]\nremember=1\nusername=a\nusername=b\n", true, "a",
       ""},
      {"byte order mark", "\xEF\xBB\xBF[HELPER]\nremember=1\nusername=anna\n", true, "anna", ""},
      {"values keep '=', ';' and blanks inside",
       "[HELPER]\nremember=1\nusername=an na\npassword=a=b;c#d\n", true, "an na", "a=b;c#d"},
      {"over-long values are cut to 259 characters",
       "[HELPER]\nremember=1\nusername=" + long_value + "\npassword=" + long_umlauts + "\n", true,
       long_value.substr(0, 259), long_umlauts.substr(0, 259 * 2)},
      {"binary garbage", std::string(kGarbage, sizeof kGarbage - 1), false, "", ""},
      {"empty file", "", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path_);
    if (c.file) Put(*c.file);
    std::string account = "stale";
    std::string password = "stale";
    EXPECT_EQ(LoadLoginOptions(account, password), c.remembered);
    EXPECT_EQ(account, c.account);
    EXPECT_EQ(password, c.password);
  }
}

TEST_F(OptionFileTest, SavingChangesOnlyTheLoginKeys) {
  struct Case {
    const char* what;
    std::optional<std::string> before;
    bool remember;
    std::string account;
    std::string password;
    std::string after;
  };
  const Case cases[] = {
      {"no file yet", std::nullopt, true, "anna", "pw",
       "[HELPER]\nremember=1\nusername=anna\npassword=pw\n"},
      {"forgetting removes both keys",
       "; written by hand\n[HELPER]\nremember=1\nusername=anna\npassword=pw\n\n[SERVER]\n"
       "http=http://10.0.0.5:8080\n",
       false, "anna", "pw",
       "; written by hand\n[HELPER]\nremember=0\n\n[SERVER]\nhttp=http://10.0.0.5:8080\n"},
      {"other sections, keys and comments stay; new keys join their section",
       "[SERVER]\nhost=example.org ; not a comment\n\n[HELPER]\n# note\nlanguage=de\n\n"
       "[OTHER]\nx=1",
       true, "bob", "p w",
       "[SERVER]\nhost=example.org ; not a comment\n\n[HELPER]\n# note\nlanguage=de\n"
       "remember=1\nusername=bob\npassword=p w\n\n[OTHER]\nx=1"},
      {"CRLF files stay CRLF", "[HELPER]\r\nremember=0\r\n", true, "a", "b",
       "[HELPER]\r\nremember=1\r\nusername=a\r\npassword=b\r\n"},
      {"duplicates go, so what is read back is what was written",
       "[helper]\nusername=old1\nremember=1\nUSERNAME=old2\n", true, "new", "pw",
       "[helper]\nusername=new\nremember=1\npassword=pw\n"},
      {"a line break inside a value cannot forge a key", std::nullopt, true,
       "anna\n[SERVER]\nhttp=http://evil", "pw\r\nremember=0",
       "[HELPER]\nremember=1\nusername=anna [SERVER] http=http://evil\npassword=pw  remember=0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path_);
    if (c.before) Put(*c.before);
    ASSERT_TRUE(SaveLoginOptions(c.remember, c.account, c.password));
    EXPECT_EQ(ReadFile(path_), c.after);
    std::string account;
    std::string password;
    EXPECT_EQ(LoadLoginOptions(account, password), c.remember);
    if (c.remember) {
      EXPECT_EQ(account, OneLine(c.account));
      EXPECT_EQ(password, OneLine(c.password));
    }
  }
}

TEST_F(OptionFileTest, TheFileIsOwnerOnlyAndReplacedWhole) {
  Put("[HELPER]\nremember=0\n");
  ::chmod(path_.c_str(), 0644);
  struct stat before {};
  ::stat(path_.c_str(), &before);
  ASSERT_TRUE(SaveLoginOptions(true, "anna", "pw"));
  struct stat after {};
  ::stat(path_.c_str(), &after);
  EXPECT_EQ(after.st_mode & 07777, 0600u);  // it holds a password
  EXPECT_NE(after.st_ino, before.st_ino);   // a new file renamed over the old one
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1u);  // no temporary file left behind
}

TEST_F(OptionFileTest, AFullDiskLeavesTheOldFileIntact) {
  // A 64 KiB tmpfs, filled up after the old file was written.
  if (::mount("kest-full", dir_.path().c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "may not mount a tmpfs";
  }
  std::string old = "[HELPER]\nremember=1\nusername=anna\npassword=pw\n";
  Put(old);
  std::string filler(60 * 1024, 'x');
  for (int i = 0; i < 64; ++i) {
    try {
      WriteFile(dir_ / ("filler" + std::to_string(i)), filler);
    } catch (...) {
      break;
    }
  }
  EXPECT_FALSE(SaveLoginOptions(true, std::string(200000, 'b'), "pw"));
  EXPECT_EQ(ReadFile(path_), old);
  ::umount2(dir_.path().c_str(), MNT_DETACH);
}

TEST_F(OptionFileTest, ServerHostAndUrlFollowTheirRules) {
  struct Case {
    const char* what;
    std::optional<std::string> file;
    std::string host;
    std::string url;
  };
  const std::string def = kDefaultServerHost;
  const Case cases[] = {
      {"no file", std::nullopt, def, "http://" + def},
      {"no SERVER section", "[HELPER]\nremember=1\n", def, "http://" + def},
      {"host only", "[SERVER]\nhost=update.example.org\n", "update.example.org",
       "http://update.example.org"},
      {"http wins over host", "[SERVER]\nhost=a.example\nhttp=https://b.example:8443\n",
       "a.example", "https://b.example:8443"},
      {"empty values count as absent", "[SERVER]\nhost=\nhttp=\n", def, "http://" + def},
      {"over-long host: cut to 126, and the URL to 126 too",
       "[SERVER]\nhost=" + std::string(200, 'h') + "\n", std::string(126, 'h'),
       "http://" + std::string(119, 'h')},
      {"over-long http", "[SERVER]\nhttp=http://" + std::string(200, 'u') + "\n", def,
       "http://" + std::string(119, 'u')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path_);
    if (c.file) Put(*c.file);
    SetOptionFilePath(path_);  // forgets the cached URL
    EXPECT_EQ(GetServerHost(), c.host);
    EXPECT_EQ(GetServerUrl(), c.url);
  }
}

TEST_F(OptionFileTest, TheUrlIsReadOnceButTheHostAtEveryCall) {
  Put("[SERVER]\nhost=first.example\n");
  EXPECT_EQ(GetServerUrl(), "http://first.example");
  Put("[SERVER]\nhost=second.example\nhttp=http://third.example\n");
  EXPECT_EQ(GetServerHost(), "second.example");
  EXPECT_EQ(GetServerUrl(), "http://first.example");
  OverrideServerUrl("http://127.0.0.1:9");
  EXPECT_EQ(GetServerUrl(), "http://127.0.0.1:9");
  OverrideServerUrl("");
  EXPECT_EQ(GetServerUrl(), "http://third.example");
}

}  // namespace
}  // namespace kest
