#include "settings/language_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "resources/embedded_files.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

using test::TempDir;
using test::WriteFile;

std::string Table(const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n" + entries + "</resources>\n";
}
std::string Entry(const std::string& key, const std::string& value) {
  return "  <string name=\"" + key + "\">" + value + "</string>\n";
}

// A program folder's Language/ of the test's own, the embedded English table written to a
// temporary folder of its own, and a locale chosen by the test.
class LanguageTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguageFolder(folder_.path());
    ExtractEmbeddedFiles();
    ASSERT_FALSE(EnXmlPath().empty());
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) ::unsetenv(v);
  }
  void Put(const std::string& code, const std::string& content) {
    WriteFile(folder_ / (code + ".xml"), content);
  }

  TempDir folder_{"kest-language"};
  test::ScopedTmpDir tmp_;
};

TEST_F(LanguageTableTest, SystemLanguageChoosesTheTableOrFallsBackToEnglish) {
  struct Case {
    const char* variable;
    const char* locale;
    std::vector<std::string> tables;  // codes present in Language/
    const char* code;                 // CurrentUiLanguage afterwards
    const char* quit;                 // GetLangString("douquit") afterwards
  };
  // Language/en.xml says "Leave?" so that it can be told apart from the embedded fallback.
  const Case cases[] = {
      {"LANG", "de_DE.UTF-8", {"de", "en"}, "de", "de:douquit"},
      {"LANG", "de_DE.UTF-8", {"en"}, "en", "Do you want to quit?"},  // embedded fallback
      {"LANG", "fr_FR.UTF-8", {"de", "en"}, "en", "Leave?"},          // not in the table: en
      {"LANG", "ja_JP.UTF-8", {"jp"}, "jp", "jp:douquit"},
      {"LANG", "ko_KR.UTF-8", {"kr"}, "kr", "kr:douquit"},
      {"LANG", "ru_RU.UTF-8", {"ru"}, "ru", "ru:douquit"},
      {"LANG", "zh_CN.UTF-8", {"cn"}, "cn", "cn:douquit"},
      {"LANG", "zh_TW.UTF-8", {"cn", "en"}, "en", "Leave?"},  // 1028 is not 2052
      {"LC_ALL", "de_DE.UTF-8", {"de"}, "de", "de:douquit"},
      {"LANG", "C", {"de"}, "en", "Do you want to quit?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable) + "=" + c.locale);
    TempDir folder("kest-language");
    SetLanguageFolder(folder.path());
    for (const std::string& code : c.tables) {
      std::string quit = code == "en" ? "Leave?" : code + ":douquit";
      WriteFile(folder / (code + ".xml"), Table(Entry("douquit", quit)));
    }
    ::setenv(c.variable, c.locale, 1);
    SelectUiLanguage();
    ::unsetenv(c.variable);
    EXPECT_EQ(CurrentUiLanguage(), c.code);
    EXPECT_EQ(GetLangString("douquit"), c.quit);
  }
}

TEST_F(LanguageTableTest, LcAllOutranksLang) {
  Put("ru", Table(Entry("quit", "Выход")));
  ::setenv("LANG", "de_DE.UTF-8", 1);
  ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
  SelectUiLanguage();
  EXPECT_EQ(CurrentUiLanguage(), "ru");
  EXPECT_EQ(GetLangString("quit"), "Выход");
}

TEST_F(LanguageTableTest, FirstOccurrenceOfAKeyWinsAndKeysAreCaseSensitive) {
  Put("de", Table(Entry("quit", "Beenden") + Entry("quit", "Schluss") + Entry("Quit", "QUIT")));
  ASSERT_TRUE(LoadLanguageTable("de"));
  EXPECT_EQ(GetLangString("quit"), "Beenden");
  EXPECT_EQ(GetLangString("Quit"), "QUIT");
  EXPECT_EQ(GetLangString("QUIT"), kLangNotFound);
  EXPECT_EQ(GetLangString(""), kLangNotFound);
}

TEST_F(LanguageTableTest, ValuesAreTheElementTextAsWritten) {
  Put("de", Table(Entry("status", "Status  Suche") +                // two blanks stay
                  Entry("amp", "A &amp; B &lt;C&gt;") +            // entities
                  Entry("cdata", "<![CDATA[x < y]]>") +            // character data
                  Entry("mixed", "eins <b>zwei</b> drei") +        // all text, in order
                  "  <string name=\"layout\">\n    Mehrzeilig\n  </string>\n"
                  "  <!-- comments are no entries -->\n"
                  "  <other name=\"anyname\">element names are not examined</other>\n"
                  "  <string>no name: the key is empty</string>\n"
                  "  <string name=\"empty\"></string>\n"));
  ASSERT_TRUE(LoadLanguageTable("de"));
  EXPECT_EQ(GetLangString("status"), "Status  Suche");
  EXPECT_EQ(GetLangString("amp"), "A & B <C>");
  EXPECT_EQ(GetLangString("cdata"), "x < y");
  EXPECT_EQ(GetLangString("mixed"), "eins zwei drei");
  EXPECT_EQ(GetLangString("layout"), "Mehrzeilig");
  EXPECT_EQ(GetLangString("anyname"), "element names are not examined");
  EXPECT_EQ(GetLangString("empty"), "");
}

TEST_F(LanguageTableTest, ABrokenTableIsNeverUsedInPart) {
  const std::pair<const char*, std::string> broken[] = {
      {"empty file", ""},
      {"only blanks", "  \n\n"},
      {"unclosed root", "<resources>" + Entry("quit", "Halb")},
      {"error after good entries", "<resources>" + Entry("quit", "Halb") + "<string name=\"x\">"},
      {"two roots", Table(Entry("quit", "Halb")) + "<resources/>"},
      {"binary garbage", std::string("\x00\xff\xfe<\x01\x02quit", 9)},
      {"not XML", "quit=Beenden\n"},
  };
  for (const auto& [what, content] : broken) {
    SCOPED_TRACE(what);
    Put("de", content);
    EXPECT_TRUE(LoadLanguageTable("de"));  // the English fallback
    EXPECT_EQ(CurrentUiLanguage(), "en");
    EXPECT_EQ(GetLangString("quit"), "Quit");
  }
  // A folder where the file should be cannot be read as one.
  std::filesystem::create_directories(folder_ / "ru.xml");
  EXPECT_TRUE(LoadLanguageTable("ru"));
  EXPECT_EQ(CurrentUiLanguage(), "en");
}

TEST_F(LanguageTableTest, CodesThatNameAnotherPlaceAreRefused) {
  WriteFile(folder_ / "elsewhere.xml", Table(Entry("quit", "outside")));
  Put("sub/x", Table(Entry("quit", "sub")));
  for (const char* code : {"../elsewhere", "sub/x", "", "/etc/passwd"}) {
    SCOPED_TRACE(code);
    LoadLanguageTable(code);
    EXPECT_EQ(CurrentUiLanguage(), "en");
    EXPECT_EQ(GetLangString("quit"), "Quit");
  }
}

TEST_F(LanguageTableTest, NoTableAtAllGivesNotFoundAndTheProgramGoesOn) {
  EXPECT_EQ(GetLangString("quit"), kLangNotFound);  // before any load
  SetEnXmlPath("");
  EXPECT_FALSE(LoadLanguageTable("de"));
  EXPECT_EQ(CurrentUiLanguage(), "en");
  EXPECT_EQ(GetLangString("quit"), kLangNotFound);
  // A failed load also drops an earlier table: nothing stale is shown.
  Put("de", Table(Entry("quit", "Beenden")));
  ASSERT_TRUE(LoadLanguageTable("de"));
  std::filesystem::remove(folder_ / "de.xml");
  EXPECT_FALSE(LoadLanguageTable("de"));
  EXPECT_EQ(GetLangString("quit"), kLangNotFound);
}

TEST_F(LanguageTableTest, LookUpsFromManyThreadsWhileTheTableIsReplaced) {
  Put("de", Table(Entry("quit", "Beenden") + Entry("end", "Stopp")));
  ASSERT_TRUE(LoadLanguageTable("de"));
  std::atomic<bool> wrong{false};
  std::vector<std::thread> readers;
  for (int t = 0; t < 6; ++t) {
    readers.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        std::string quit = GetLangString("quit");
        if (quit != "Beenden" && quit != "Quit") wrong = true;
        if (GetLangString("nokey") != kLangNotFound) wrong = true;
      }
    });
  }
  for (int i = 0; i < 50; ++i) LoadLanguageTable(i % 2 ? "de" : "en-missing");
  for (std::thread& t : readers) t.join();
  EXPECT_FALSE(wrong);
}

}  // namespace
}  // namespace kest
