// Password changes: the local checks of members and dealers, the encoded queries, and the
// answer codes of both requests against the stand-in server.

#include <gtest/gtest.h>

#include <string>

#include "account/password_change.h"
#include "server/login.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

LoginSession Member() {
  LoginSession session;
  session.password = "secret01";
  session.memberID = 1001;
  return session;
}

LoginSession Dealer() {
  LoginSession session;
  session.password = "dealer01pw";
  session.memberID = 2001;
  session.identity = LoginSession::kDealer;
  return session;
}

TEST(PasswordChecks, MemberCasesInTheirOrder) {
  struct Case {
    PasswordChangeInput input;
    std::string key;
  };
  const Case cases[] = {
      {{"", "secret01", "newpass1", "newpass1"}, ""},
      {{"", "SECRET01", "newpass1", "newpass1"}, "regpasswdwrong"},  // letter case counts
      {{"", "", "newpass1", "newpass1"}, "regpasswdwrong"},
      {{"", "secret01", "12345", "12345"}, "passwordlenleast6top20"},
      {{"", "secret01", "123456", "123456"}, ""},
      {{"", "secret01", std::string(20, 'x'), std::string(20, 'x')}, ""},
      {{"", "secret01", std::string(21, 'x'), std::string(21, 'x')}, "passwordlenleast6top20"},
      {{"", "secret01", "newpass1", "newpass2"}, "altercodenotequal"},
      {{"", "secret01", "secret01", "secret01"}, "newoldpasswordsame"},
      // The length comes before the comparison of the two new ones.
      {{"", "secret01", "short", "other"}, "passwordlenleast6top20"},
  };
  const LoginSession member = Member();
  for (const Case& c : cases) {
    EXPECT_EQ(CheckPasswordChange(member, c.input), c.key)
        << c.input.oldPassword << " / " << c.input.newPassword << " / " << c.input.confirmation;
  }
}

TEST(PasswordChecks, DealerCasesInTheirOrder) {
  const LoginSession dealer = Dealer();
  const std::string reset = kDealerDefaultPassword;
  EXPECT_EQ(CheckPasswordChange(dealer, {"KS0100001", "dealer01pw", reset, reset}), "");
  // An empty field is first compared with the dealer's password.
  EXPECT_EQ(CheckPasswordChange(dealer, {"KS0100001", "", reset, reset}), "regpasswdwrong");
  LoginSession without_password = dealer;
  without_password.password.clear();
  EXPECT_EQ(CheckPasswordChange(without_password, {"KS0100001", "", reset, reset}),
            "inputdealercode");
  // A dealer's own password may equal the default one; only members are held to differ.
  LoginSession same = dealer;
  same.password = reset;
  EXPECT_EQ(CheckPasswordChange(same, {"KS0100001", reset, reset, reset}), "");
}

TEST(PasswordQueries, ValuesArePercentEncodedLettersAndDigitsUnchanged) {
  EXPECT_EQ(BuildMemberPasswordQuery(1001, "abcXYZ123", "secret01"),
            "memberID=1001&password=abcXYZ123&oldPassword=secret01");
  EXPECT_EQ(BuildMemberPasswordQuery(1001, "n3w&pass#1", "a b%c"),
            "memberID=1001&password=n3w%26pass%231&oldPassword=a%20b%25c");
  EXPECT_EQ(BuildDealerResetQuery(2001, "KS0100001"), "memberID=2001&sn=KS0100001");
  EXPECT_EQ(BuildDealerResetQuery(2001, "KS01&x=1"), "memberID=2001&sn=KS01%26x%3D1");
}

class PasswordServerTest : public ::testing::Test {
 protected:
  void SetUp() override { test::CopyExampleCatalogue(dir_.path()); }

  test::ScopedTmpDir tmp_;
  test::TempDir dir_{"kest-password"};
};

TEST_F(PasswordServerTest, MemberChangeWithSpecialCharactersLogsInAfterwards) {
  test::UpdateServerFixture server(dir_.path());
  const LoginSession member = Member();
  EXPECT_EQ(ChangeMemberPassword(member, "n3w&pass#1", "secret01"), 0);
  LoginSession fresh;
  EXPECT_EQ(Login(fresh, "workshop1", "n3w&pass#1"), kLoginOk);
  EXPECT_EQ(Login(fresh, "workshop1", "secret01"), kLoginWrongPassword);
}

TEST_F(PasswordServerTest, MemberCodesAndTheirMessages) {
  test::UpdateServerFixture server(dir_.path());
  const LoginSession member = Member();
  struct Case {
    const char* fault;  // nullptr: the real answer
    std::string oldPassword;
    std::string newPassword;
    int code;
    std::string key;
  };
  const Case cases[] = {
      {nullptr, "not-the-password", "newpass1", 4008, "regpasswdwrong"},
      {nullptr, "secret01", std::string(31, 'x'), 4009, "passwoldformaterror"},
      {"code:4007", "secret01", "newpass1", 4007, "regpasswdwrong"},
      {"code:4010", "secret01", "newpass1", 4010, "altercodefail"},
      {"html404", "secret01", "newpass1", -1, "altercodefail"},
  };
  for (const Case& c : cases) {
    server.ClearFaults();
    if (c.fault) server.SetFault("resetPassword", c.fault);
    int code = ChangeMemberPassword(member, c.newPassword, c.oldPassword);
    EXPECT_EQ(code, c.code) << (c.fault ? c.fault : c.oldPassword);
    EXPECT_EQ(MemberPasswordMessageKey(code), c.key);
  }
  EXPECT_EQ(MemberPasswordMessageKey(0), "altercodesucc");
}

TEST_F(PasswordServerTest, DealerCodesAndTheirMessages) {
  test::UpdateServerFixture server(dir_.path());
  struct Case {
    const char* what;
    LoginSession session;
    std::string serial;
    const char* fault;
    int code;
    std::string key;
  };
  LoginSession not_dealer = Member();
  const Case cases[] = {
      {"reset", Dealer(), "KS0100002", nullptr, 0, "altercodesucc"},
      {"not the dealer's scanner", Dealer(), "KS0999999", nullptr, 3007, "equipmenterror"},
      {"no workshop holds it", Dealer(), "KS0100003", nullptr, 4007, "userwrong"},
      {"not a dealer", not_dealer, "KS0100001", nullptr, 4055, "usernotdealer"},
      {"dealer password refused", Dealer(), "KS0100001", "code:4008", 4008, "dealercodeerror"},
      {"format", Dealer(), "KS0100001", "code:4009", 4009, "passwoldformaterror"},
      {"other code", Dealer(), "KS0100001", "code:4010", 4010, "altercodefail"},
      {"no answer", Dealer(), "KS0100001", "drop", -1, "altercodefail"},
  };
  for (const Case& c : cases) {
    server.ClearFaults();
    if (c.fault) server.SetFault("resetPasswordbytrader", c.fault);
    int code = ResetPasswordByDealer(c.session, c.serial);
    EXPECT_EQ(code, c.code) << c.what;
    EXPECT_EQ(DealerResetMessageKey(code), c.key) << c.what;
  }
  // The reset gave the workshop account of KS0100002 the default password.
  LoginSession fresh;
  EXPECT_EQ(Login(fresh, "workshop1", kDealerDefaultPassword), kLoginOk);
}

}  // namespace
}  // namespace kest
