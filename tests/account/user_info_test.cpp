// The member's contact details: the local checks at their bounds, the change's query (encoded,
// empty fields left out), the answer codes, and the load against the stand-in server.

#include <gtest/gtest.h>

#include <string>

#include "account/user_info.h"
#include "server/login.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(UserInfoChecks, RefuseInTheirOrderAndPassAtTheirBounds) {
  const UserRecord valid{"workshop1", "+49 30 1234567", "a@b", "1 Main Street"};
  struct Case {
    const char* what;
    UserRecord typed;
    std::string key;  // empty: passes
  };
  auto with = [&](auto change) {
    UserRecord r = valid;
    change(r);
    return r;
  };
  const Case cases[] = {
      {"valid", valid, ""},
      {"phone of 20", with([](UserRecord& r) { r.phone = Repeat("1", 20); }), ""},
      {"phone of 21", with([](UserRecord& r) { r.phone = Repeat("1", 21); }),
       "modifyphonelenleast20"},
      {"address of 50", with([](UserRecord& r) { r.address = Repeat("a", 50); }), ""},
      {"address of 51", with([](UserRecord& r) { r.address = Repeat("a", 51); }),
       "modifyaddrlenleast50"},
      // Characters, not bytes: 50 umlauts are 100 bytes and pass.
      {"address of 50 umlauts", with([](UserRecord& r) { r.address = Repeat("ä", 50); }), ""},
      {"name of 5", with([](UserRecord& r) { r.name = "abcde"; }), "modifyuselenleast4top15"},
      {"name of 6", with([](UserRecord& r) { r.name = "abcdef"; }), ""},
      {"name of 15", with([](UserRecord& r) { r.name = Repeat("n", 15); }), ""},
      {"name of 16", with([](UserRecord& r) { r.name = Repeat("n", 16); }),
       "modifyuselenleast4top15"},
      {"empty name", with([](UserRecord& r) { r.name.clear(); }), "modifyuselenleast4top15"},
      {"empty e-mail", with([](UserRecord& r) { r.email.clear(); }), ""},
      {"e-mail without @", with([](UserRecord& r) { r.email = "workshop.example.com"; }),
       "modifyemailformatwrong"},
      {"@ first", with([](UserRecord& r) { r.email = "@"; }), ""},
      {"e-mail of 256 bytes",
       with([](UserRecord& r) { r.email = Repeat("a", 250) + "@b.com"; }), ""},
      {"e-mail of 257 bytes",
       with([](UserRecord& r) { r.email = Repeat("a", 251) + "@b.com"; }),
       "modifyemailformatwrong"},
      // The first failing check wins: the telephone comes before the name.
      {"phone and name wrong", with([](UserRecord& r) {
         r.phone = Repeat("1", 21);
         r.name = "abc";
       }),
       "modifyphonelenleast20"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckUserInfoChange(c.typed), c.key) << c.what;
  }
}

TEST(UserInfoQuery, LeavesEmptyFieldsOutAndEncodesTheRest) {
  EXPECT_EQ(BuildUpdateUserQuery(1001, {"workshop1", "", "", ""}),
            "memberID=1001&memberAccount=workshop1");
  EXPECT_EQ(BuildUpdateUserQuery(1001, {"work shop", "+49 30", "a&b@c.de", "Straße 1"}),
            "memberID=1001&memberAccount=work%20shop&phone=%2B49%2030&email=a%26b%40c%2Ede"
            "&address=Stra%C3%9Fe%201");
}

TEST(UserInfoMessages, EachCodeHasItsKey) {
  EXPECT_EQ(UserInfoChangeMessageKey(0), "altersucc");
  EXPECT_EQ(UserInfoChangeMessageKey(4004), "usernamerename");
  EXPECT_EQ(UserInfoChangeMessageKey(4050), "regemailformaterror");
  EXPECT_EQ(UserInfoChangeMessageKey(4051), "usernameformaterror");
  EXPECT_EQ(UserInfoChangeMessageKey(4007), "modifyfailed");
  EXPECT_EQ(UserInfoChangeMessageKey(-1), "modifyfailed");
}

class UserInfoServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CopyExampleCatalogue(dir_.path());
    session_.account = "workshop1";
    session_.password = "secret01";
  }

  test::ScopedTmpDir tmp_;
  test::TempDir dir_{"kest-user-info"};
  LoginSession session_;
};

TEST_F(UserInfoServerTest, LoadFillsTheRecordAndMemberIdOnlyOnSuccess) {
  test::UpdateServerFixture server(dir_.path());
  UserRecord record;
  ASSERT_TRUE(LoadUserRecord(session_, record));
  EXPECT_EQ(record, (UserRecord{"workshop1", "+49 30 1234567", "workshop1@example.com",
                                "1 Main Street"}));
  EXPECT_EQ(session_.memberID, 1001);
  // The load reads only the record: the login's other fields stay as they were.
  EXPECT_TRUE(session_.serialNumbers.empty());
  EXPECT_TRUE(session_.token.empty());

  const UserRecord before = record;
  for (const char* fault : {"code:4000", "html404", "notjson"}) {
    server.SetFault("login", fault);
    session_.memberID = 7;
    EXPECT_FALSE(LoadUserRecord(session_, record)) << fault;
    EXPECT_EQ(record, before) << fault;
    EXPECT_EQ(session_.memberID, 7) << fault;
  }
}

TEST_F(UserInfoServerTest, ChangeReachesTheServerAndItsRefusalsComeBack) {
  test::UpdateServerFixture server(dir_.path());
  UserRecord record;
  ASSERT_TRUE(LoadUserRecord(session_, record));

  EXPECT_EQ(ChangeUserInfo(session_, {"workshop1", "", "new@example.com", "Königsallee 1"}), 0);
  UserRecord stored;
  ASSERT_TRUE(LoadUserRecord(session_, stored));
  // The telephone was left out, so the server kept it.
  EXPECT_EQ(stored, (UserRecord{"workshop1", "+49 30 1234567", "new@example.com",
                                "Königsallee 1"}));

  EXPECT_EQ(ChangeUserInfo(session_, {"dealer01", "", "", ""}), kUserNameTaken);
  server.SetFault("updateuser", "code:4051");
  EXPECT_EQ(ChangeUserInfo(session_, {"workshop1", "", "", ""}), kUserNameRefused);
  server.SetFault("updateuser", "html404");
  EXPECT_EQ(ChangeUserInfo(session_, {"workshop1", "", "", ""}), -1);
}

}  // namespace
}  // namespace kest
