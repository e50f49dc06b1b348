// The login worker's sequence against the stand-in server: every outcome's message and report,
// what reaches option.ini, and what the session keeps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "account/login_run.h"
#include "resources/embedded_files.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "settings/package_languages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

class RecordingReporter final : public LoginReporter {
 public:
  void ShowMessage(const std::string& text) override { events.push_back("message: " + text); }
  void LoginSucceeded() override { events.push_back("0x501"); }
  void LoginFailed() override { events.push_back("0x503"); }
  std::vector<std::string> events;
};

class LoginRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLanguageFolder(std::string(KEST_LANGUAGE_SOURCE_DIR) + "/");
    LoadLanguageTable("en");
    SetOptionFilePath(dir_ / "option.ini");
    test::CopyExampleCatalogue(dir_ / "catalogue");
    SetServerLanguages({});
  }

  int Run(const std::string& account, const std::string& password, bool remember = false) {
    return RunLogin(session_, {account, password, remember}, reporter_);
  }

  test::ScopedTmpDir tmp_;
  test::TempDir dir_{"kest-login-run"};
  LoginSession session_;
  RecordingReporter reporter_;
};

TEST_F(LoginRunTest, SuccessStoresTheAccountFetchesLanguagesAndReports) {
  test::UpdateServerFixture server(dir_ / "catalogue");
  EXPECT_EQ(Run("workshop1", "secret01"), 0);
  EXPECT_EQ(reporter_.events, std::vector<std::string>{"0x501"});
  EXPECT_EQ(session_.account, "workshop1");
  EXPECT_EQ(session_.password, "secret01");
  EXPECT_EQ(session_.memberID, 1001);
  EXPECT_EQ(session_.currentSerial, "KS0100001");
  // The languages are there before the window hears of the success.
  EXPECT_EQ(ServerLanguages().size(), 2u);
  EXPECT_EQ(server.server().RequestCount("listlang"), 1u);
}

TEST_F(LoginRunTest, EveryFailureShowsItsMessageAndKeepsTheSessionAccount) {
  struct Case {
    const char* fault;  // on the login endpoint; nullptr: the real answer
    const char* password;
    std::string message;
  };
  const std::string unreachable =
      "Server connection failed. Please check network settings and make sure your computer "
      "has been connected to the Internet.";
  const Case cases[] = {
      {nullptr, "wrong-password", "User name or password error"},
      {"code:50000", "secret01", unreachable},
      {"html404", "secret01", unreachable},
      {"code:-1", "secret01", unreachable},
      {"code:-2", "secret01", GetLangString("snserror")},
      {"code:4001", "secret01", "Unknown error ,code = 4001"},
  };
  test::UpdateServerFixture server(dir_ / "catalogue");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault ? c.fault : "real answer");
    server.ClearFaults();
    if (c.fault) server.SetFault("login", c.fault);
    session_ = LoginSession{};
    session_.account = "earlier";
    reporter_.events.clear();
    EXPECT_EQ(Run("workshop1", c.password), 1);
    EXPECT_EQ(reporter_.events, (std::vector<std::string>{"message: " + c.message, "0x503"}));
    EXPECT_EQ(session_.account, "earlier");
    EXPECT_EQ(server.server().RequestCount("listlang"), 0u);
  }
}

TEST_F(LoginRunTest, NoServerAtAllIsAFailedConnection) {
  OverrideServerUrl("http://127.0.0.1:1");
  EXPECT_EQ(Run("workshop1", "secret01"), 1);
  EXPECT_EQ(reporter_.events.front(), "message: " + GetLangString("unconnecttoservice"));
  OverrideServerUrl("");
}

TEST_F(LoginRunTest, EmptyAccountIsRefusedBeforeAnythingIsSavedOrSent) {
  test::UpdateServerFixture server(dir_ / "catalogue");
  ASSERT_TRUE(SaveLoginOptions(true, "kept", "kept-password"));
  const std::string before = test::ReadFile(OptionFilePath());
  EXPECT_EQ(Run("", "whatever", false), 1);
  EXPECT_EQ(reporter_.events,
            (std::vector<std::string>{"message: Username error", "0x503"}));
  EXPECT_EQ(server.server().RequestCount("login"), 0u);
  EXPECT_EQ(test::ReadFile(OptionFilePath()), before);
}

TEST_F(LoginRunTest, TheRememberBoxDecidesWhatOptionIniKeepsWhateverTheOutcome) {
  test::UpdateServerFixture server(dir_ / "catalogue");
  std::string account, password;

  EXPECT_EQ(Run("workshop1", "wrong-password", true), 1);
  EXPECT_TRUE(LoadLoginOptions(account, password));
  EXPECT_EQ(account, "workshop1");
  EXPECT_EQ(password, "wrong-password");  // stored as typed, before the answer

  EXPECT_EQ(Run("workshop1", "secret01", false), 0);
  EXPECT_FALSE(LoadLoginOptions(account, password));
  const std::string file = test::ReadFile(OptionFilePath());
  EXPECT_EQ(file.find("username"), std::string::npos);
  EXPECT_EQ(file.find("secret01"), std::string::npos);
}

}  // namespace
}  // namespace kest
