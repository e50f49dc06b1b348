// Login against the stand-in server: result codes and what each does to the session.

#include <gtest/gtest.h>

#include "server/login.h"
#include "tests/server/test_catalogue.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

class LoginTest : public ::testing::Test {
 protected:
  // A session as an earlier successful login of workshop1 left it.
  LoginSession LoggedIn() {
    LoginSession session;
    EXPECT_EQ(Login(session, "workshop1", "secret01"), kLoginOk);
    return session;
  }

  test::ScopedTmpDir tmp_;
  test::TestCatalogueDir catalogue_;
  test::UpdateServerFixture server_{catalogue_.path()};
};

TEST_F(LoginTest, SuccessFillsTheSession) {
  LoginSession session;
  ASSERT_EQ(Login(session, "dealer01", "dealer01pw"), kLoginOk);
  EXPECT_EQ(session.memberID, 2001);
  EXPECT_EQ(session.identity, 2);
  EXPECT_TRUE(session.IsDealer());
  EXPECT_EQ(session.token.size(), 32u);
  EXPECT_EQ(session.serialNumbers, (std::vector<std::string>{"SN-A", "SN-B", "SN-D"}));
  EXPECT_EQ(session.currentSerial, "SN-A");
  EXPECT_EQ(session.account, "");  // the caller stores what was typed
}

// Every non-zero outcome after an earlier login: the code comes back, the serial numbers and
// the role are gone once an answer arrived, token and member stay.
TEST_F(LoginTest, FailuresKeepTokenAndMemberButClearSerialsOnceAnAnswerArrived) {
  struct Case {
    const char* account;
    const char* password;
    const char* fault;  // on "login", or nullptr
    int32_t result;
    bool answer_arrived;
  } cases[] = {
      {"workshop1", "wrong", nullptr, kLoginWrongPassword, true},
      {"", "", nullptr, kLoginWrongPassword, true},
      {"blocked1", "blocked1pw", nullptr, kLoginSerialError, true},
      {"workshop1", "secret01", "code:50000", kLoginServerBusy, true},
      {"workshop1", "secret01", "code:-1", kLoginNoAnswer, true},
      {"workshop1", "secret01", "code:777", 777, true},
      {"workshop1", "secret01", "html404", kLoginNoAnswer, true},
      {"workshop1", "secret01", "body:{\"code\": \"0\"}", kLoginNoAnswer, true},
      {"workshop1", "secret01", "body:{\"code\": 0, \"data\": 5}", kLoginNoAnswer, true},
      {"workshop1", "secret01", "drop", kLoginNoAnswer, false},
      {"workshop1", "secret01", "truncate", kLoginNoAnswer, false},
  };
  for (const Case& c : cases) {
    LoginSession session = LoggedIn();
    LoginSession before = session;
    if (c.fault) server_.SetFault("login", c.fault);
    EXPECT_EQ(Login(session, c.account, c.password), c.result) << c.account << " " << c.fault;
    server_.ClearFaults();
    EXPECT_EQ(session.token, before.token);
    EXPECT_EQ(session.memberID, 1001);
    EXPECT_EQ(session.currentSerial, "SN-A");
    if (c.answer_arrived) {
      EXPECT_TRUE(session.serialNumbers.empty()) << c.fault;
      EXPECT_EQ(session.identity, 0);
    } else {
      EXPECT_EQ(session.serialNumbers, before.serialNumbers) << c.fault;
      EXPECT_EQ(session.identity, 1);
    }
  }
}

TEST_F(LoginTest, EmptySerialListKeepsTheCurrentSerial) {
  LoginSession fresh;
  ASSERT_EQ(Login(fresh, "nosns01", "nosns01pw"), kLoginOk);
  EXPECT_TRUE(fresh.serialNumbers.empty());
  EXPECT_EQ(fresh.currentSerial, "");

  LoginSession session = LoggedIn();
  ASSERT_EQ(Login(session, "nosns01", "nosns01pw"), kLoginOk);
  EXPECT_EQ(session.memberID, 1003);
  EXPECT_TRUE(session.serialNumbers.empty());
  EXPECT_EQ(session.currentSerial, "SN-A");
}

TEST_F(LoginTest, NonAsciiAccountIsSentPercentEncodedUtf8) {
  LoginSession session;
  ASSERT_EQ(Login(session, "jürgen.müller", "pässwört"), kLoginOk);
  EXPECT_EQ(session.memberID, 1002);
  auto requests = server_.server().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target,
            "/autodown/login?memberAccount=j%C3%BCrgen%2Em%C3%BCller&password=p%C3%A4ssw%C3%B6rt");
}

TEST_F(LoginTest, SecondLoginReplacesTheFirst) {
  LoginSession session = LoggedIn();
  std::string first_token = session.token;
  ASSERT_EQ(Login(session, "jürgen.müller", "pässwört"), kLoginOk);
  EXPECT_EQ(session.memberID, 1002);
  EXPECT_NE(session.token, first_token);
  EXPECT_EQ(session.identity, 1);
  EXPECT_EQ(session.serialNumbers, std::vector<std::string>{"SN-C"});
  EXPECT_EQ(session.currentSerial, "SN-C");
}

TEST_F(LoginTest, AnswersOfTheWrongShapeNeverThrow) {
  struct Case {
    const char* body;
    int32_t result;
    std::vector<std::string> serials;
    int32_t member_id;
  } cases[] = {
      // sns as an object or with non-text entries: no serial numbers, login stands
      {R"({"code":0,"data":{"token":"t","sns":{"a":"SN-1"},"user":{"memberID":5}}})", 0, {}, 5},
      {R"({"code":0,"data":{"token":"t","sns":["SN-1",7,null,{}],"user":{"memberID":5}}})", 0,
       {"SN-1"}, 5},
      // user of the wrong type, memberID as text or out of range: 0
      {R"({"code":0,"data":{"token":"t","sns":[],"user":[1]}})", 0, {}, 0},
      {R"({"code":0,"data":{"token":5,"sns":[],"user":{"memberID":"5","identity":"2"}}})", 0,
       {}, 0},
      {R"({"code":0,"data":{"user":{"memberID":99999999999}}})", 0, {}, 0},
      {R"({"code":[0]})", kLoginNoAnswer, {}, 1001},
      {R"({"code":0,"data":"ok"})", kLoginNoAnswer, {}, 1001},
  };
  for (const Case& c : cases) {
    server_.ClearFaults();
    LoginSession session = LoggedIn();
    server_.SetFault("login", std::string("body:") + c.body);
    EXPECT_EQ(Login(session, "a", "b"), c.result) << c.body;
    EXPECT_EQ(session.serialNumbers, c.serials) << c.body;
    EXPECT_EQ(session.memberID, c.member_id) << c.body;
    EXPECT_EQ(session.identity, 0) << c.body;
  }
}

}  // namespace
}  // namespace kest
