// The server language list and the card language files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "server/login.h"
#include "settings/package_languages.h"
#include "tests/server/test_catalogue.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

using Lan = CLanObject::MyLan;

class ServerLanguagesTest : public ::testing::Test {
 protected:
  ServerLanguagesTest() {
    SetServerLanguages({});
    EXPECT_EQ(Login(session_, "workshop1", "secret01"), kLoginOk);
  }
  ~ServerLanguagesTest() override { SetServerLanguages({}); }

  const std::vector<Lan> kOffered{{"1", "EN", "English"}, {"2", "DE", "Deutsch"}};
  test::ScopedTmpDir tmp_;
  test::TestCatalogueDir catalogue_;
  test::UpdateServerFixture server_{catalogue_.path()};
  LoginSession session_;
};

TEST_F(ServerLanguagesTest, FetchFillsTheListInAnswerOrder) {
  EXPECT_EQ(FetchServerLanguages(session_), 0);
  EXPECT_EQ(ServerLanguages(), kOffered);
  EXPECT_EQ(server_.server().Requests().back().target,
            "/autodown/listlang?token=" + session_.token + "&sns=SN-A&lang=en&memberID=1001");
}

TEST_F(ServerLanguagesTest, ListFollowsTheSerialNumberAndKeepsNonAsciiNames) {
  LoginSession other;
  ASSERT_EQ(Login(other, "jürgen.müller", "pässwört"), kLoginOk);
  EXPECT_EQ(FetchServerLanguages(other), 0);
  EXPECT_EQ(ServerLanguages(), (std::vector<Lan>{{"3", "FR", "Français"}}));
}

TEST_F(ServerLanguagesTest, OutcomesAndTheListTheyLeave) {
  struct Case {
    const char* fault;
    int32_t result;
    bool list_kept;
  } cases[] = {
      {"code:1", 1, false},        // "reader" 1 empties the list
      {"notjson", -1, false},      // an answer arrived: emptied
      {"body:{\"reader\":0,\"data\":{\"langs\":[]}}", 0, false},
      {"drop", -1, true},          // nothing arrived: kept
  };
  for (const Case& c : cases) {
    SetServerLanguages(kOffered);
    server_.SetFault("listlang", c.fault);
    EXPECT_EQ(FetchServerLanguages(session_), c.result) << c.fault;
    EXPECT_EQ(ServerLanguages(), c.list_kept ? kOffered : std::vector<Lan>{}) << c.fault;
  }
}

TEST_F(ServerLanguagesTest, ForeignTokenOrSerialIsRefused) {
  LoginSession forged = session_;
  forged.token = "0123";
  EXPECT_NE(FetchServerLanguages(forged), 0);
  LoginSession foreign = session_;
  foreign.currentSerial = "SN-C";  // belongs to another member
  EXPECT_EQ(FetchServerLanguages(foreign), 3007);
  EXPECT_TRUE(ServerLanguages().empty());
}

TEST(WriteCardLanguageFiles, WritesCodeAndEnglishName) {
  struct Case {
    std::string code, name;
  } cases[] = {
      {"CN", "Chinese"}, {"EN", "English"},     {"DE", "German"}, {"AB", "Arabic"},
      {"PL", "Polski"},  {"TW", "Traditional"}, {"VN", "Vietnamese"},
      {"en", ""},        // exact comparison
      {"XX", ""},        {"", ""},
  };
  for (const Case& c : cases) {
    test::TempDir sys;
    test::WriteFile(sys / "lang", "a much longer old name");
    ASSERT_TRUE(WriteCardLanguageFiles(sys.path(), c.code)) << c.code;
    EXPECT_EQ(test::ReadFile(sys / "lang.dat"), c.code);
    EXPECT_EQ(test::ReadFile(sys / "lang"), c.name);
  }
}

TEST(WriteCardLanguageFiles, FolderThatIsNoDirectoryGetsNothing) {
  test::TempDir dir;
  EXPECT_FALSE(WriteCardLanguageFiles(dir / "missing", "EN"));
  EXPECT_FALSE(test::Exists(dir / "missing"));
  test::WriteFile(dir / "file", "x");
  EXPECT_FALSE(WriteCardLanguageFiles(dir / "file", "EN"));
  EXPECT_FALSE(WriteCardLanguageFiles("", "EN"));
}

}  // namespace
}  // namespace kest
