// The stand-in update server, driven through the program's own request layer over loopback:
// the example catalogue, the answers the update and account pages rely on, account changes
// and their persistence, the files its answers point to, and fault parsing.

#include <gtest/gtest.h>

#include <string>

#include "server/http_get.h"
#include "server/json_read.h"
#include "server/login.h"
#include "server/server_get.h"
#include "settings/option_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"
#include "tools/update-server/catalogue.h"
#include "tools/update-server/fault.h"

namespace kest {
namespace {

using update_server::FaultKind;

class UpdateServerTest : public ::testing::Test {
 protected:
  struct ExampleCopy {
    ExampleCopy() { test::CopyExampleCatalogue(dir.path()); }
    test::TempDir dir;
  };

  // The status and root of one request; -100 when no answer came.
  static std::pair<int, Json::Value> Ask(const Endpoint& endpoint, const std::string& query) {
    ServerOutcome outcome = ServerGet(endpoint, query);
    const Answer* answer = AsAnswer(outcome);
    return answer ? std::make_pair(answer->status, answer->root)
                  : std::make_pair(-100, Json::Value());
  }

  LoginSession LogIn(const std::string& account, const std::string& password) {
    LoginSession session;
    EXPECT_EQ(Login(session, account, password), kLoginOk) << account;
    return session;
  }

  test::ScopedTmpDir tmp_;
  ExampleCopy example_;
  test::UpdateServerFixture server_{example_.dir.path()};
};

TEST_F(UpdateServerTest, ExampleCatalogueNamesOnlyFilesItHas) {
  update_server::Catalogue catalogue;
  std::string warnings;
  ASSERT_TRUE(catalogue.Load(example_.dir.path(), &warnings));
  EXPECT_EQ(warnings, "");
}

TEST_F(UpdateServerTest, CatalogueAnswersLeadToThePackageBytes) {
  LoginSession s = LogIn("workshop1", "secret01");
  auto [code, cars] = Ask(kListInfoEndpoint,
                          "token=" + s.token + "&sns=KS0100001&langId=1&region=2");
  ASSERT_EQ(code, 0);
  const Json::Value& list = json::ReadArray(cars, "data");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(json::ReadString(list[0], "carKindName"), "Audi");
  EXPECT_EQ(json::ReadString(list[0], "path"), "AUDI");
  const Json::Value& newest = json::ReadArray(list[0], "carKindFiles")[1];
  EXPECT_EQ(json::ReadString(newest, "version"), "V10.20");
  EXPECT_EQ(json::ReadString(newest, "publishTime"), "2019-04-01");

  auto [url_code, url] = Ask(kGetDownloadUrlEndpoint,
                             "path=" + json::ReadString(newest, "path") + "&region=2");
  ASSERT_EQ(url_code, 0);
  EXPECT_EQ(json::ReadString(url, "data"),
            server_.url() + "/files/packages/audi_V10.20_en.7z");
  test::TempDir out;
  ASSERT_TRUE(HttpGetToFile(json::ReadString(url, "data"), out / "p.7z"));
  EXPECT_EQ(test::ReadFile(out / "p.7z"),
            test::ReadFile(example_.dir / "packages/audi_V10.20_en.7z"));

  auto [items_code, items] = Ask(kGetFile4MemberEndpoint,
                                 "token=" + s.token +
                                     "&sns=KS0100001&fileFolderType=0&region=2&langId=2");
  ASSERT_EQ(items_code, 0);
  ASSERT_EQ(json::ReadArray(items, "data").size(), 1u);  // the German list: system only
  EXPECT_EQ(json::ReadInt(json::ReadArray(items, "data")[0], "productInfoID"), 7);
}

TEST_F(UpdateServerTest, ConfigurationAndCustomFilesAreServed) {
  auto [code, config] = Ask(kGetMenuConfigEndpoint, "productInfoID=7&region=2&lang=de");
  ASSERT_EQ(code, 0);
  test::TempDir out;
  ASSERT_TRUE(HttpGetToFile(json::ReadString(config, "data"), out / "config.xml"));
  EXPECT_EQ(test::ReadFile(out / "config.xml"),
            test::ReadFile(example_.dir / "config/menu_de.xml"));
  EXPECT_EQ(Ask(kGetMenuConfigEndpoint, "productInfoID=7&region=2&lang=fr").first,
            update_server::kCodeNoMenuConfig);

  auto [custom_code, custom] = Ask(kDownCustomEndpoint, "sn=KS0100001&region=2");
  ASSERT_EQ(custom_code, 0);
  EXPECT_EQ(json::ReadString(json::ReadObject(custom, "data"), "sys/custom/dealer.ini"),
            server_.url() + "/files/custom/KS0100001/dealer.ini");
  EXPECT_EQ(json::ReadObject(Ask(kDownCustomEndpoint, "sn=KS0100002&region=2").second, "data")
                .size(),
            0u);
}

TEST_F(UpdateServerTest, OnlyFilesTheCatalogueNamesAreServed) {
  for (const char* path : {"catalogue.json", "packages", "packages/../catalogue.json",
                           "packages/%2E%2E/catalogue.json"}) {
    test::TempDir out;
    ASSERT_TRUE(HttpGetToFile(server_.url() + "/files/" + path, out / "f")) << path;
    EXPECT_NE(test::ReadFile(out / "f").find("404 Not Found"), std::string::npos) << path;
  }
}

TEST_F(UpdateServerTest, TokenAndSerialAreChecked) {
  LoginSession s = LogIn("workshop1", "secret01");
  struct Case {
    std::string token, sn;
    int code;
  } cases[] = {
      {s.token, "KS0100002", 0},
      {"", "KS0100001", update_server::kCodeBadToken},
      {"feedbeef", "KS0100001", update_server::kCodeBadToken},
      {s.token, "KS0100003", 3007},  // the dealer's scanner, not this member's
  };
  for (const Case& c : cases) {
    std::string q = "token=" + c.token + "&sns=" + c.sn;
    EXPECT_EQ(Ask(kListInfoEndpoint, q + "&langId=1&region=2").first, c.code) << c.sn;
    EXPECT_EQ(Ask(kGetFile4MemberEndpoint, q + "&fileFolderType=0&region=2&langId=1").first,
              c.code);
    EXPECT_EQ(Ask(kListLangEndpoint, q + "&lang=en&memberID=1001").first, c.code);
  }
}

TEST_F(UpdateServerTest, UserChangesAreCheckedKeptAndWrittenBack) {
  struct Case {
    std::string query;
    int code;
  } cases[] = {
      {"memberID=999&phone=1", 4007},
      {"memberID=1001&memberAccount=short", 4051},
      {"memberID=1001&memberAccount=" + std::string(21, 'a'), 4051},
      {"memberID=1001&memberAccount=dealer01", 4004},
      {"memberID=1001&email=nobody.example.com", 4050},
      {"memberID=1001&memberAccount=workshop1", 0},  // its own name is no clash
      {"memberID=1001&memberAccount=werkstatt%C3%A4&phone=%2B49%201&email=%40", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ask(kUpdateUserEndpoint, c.query).first, c.code) << c.query;
  }

  // Kept across a restart: the change is in catalogue.json.
  server_.server().Stop();
  update_server::UpdateServer restarted;
  ASSERT_TRUE(restarted.Start(example_.dir.path()));
  OverrideServerUrl(restarted.BaseUrl());
  LoginSession s;
  ASSERT_EQ(Login(s, "werkstattä", "secret01"), kLoginOk);
  auto [code, answer] = Ask(kLoginEndpoint, "memberAccount=werkstatt%C3%A4&password=secret01");
  const Json::Value& user = json::ReadObject(json::ReadObject(answer, "data"), "user");
  EXPECT_EQ(json::ReadString(user, "phone"), "+49 1");
  EXPECT_EQ(json::ReadString(user, "email"), "@");
  EXPECT_EQ(json::ReadString(user, "address"), "1 Main Street");  // not sent: unchanged
  EXPECT_EQ(Login(s, "workshop1", "secret01"), kLoginWrongPassword);
}

TEST_F(UpdateServerTest, MemberPasswordChange) {
  struct Case {
    std::string query;
    int code;
  } cases[] = {
      {"memberID=999&password=newpass1&oldPassword=secret01", 4007},
      {"memberID=1001&password=newpass1&oldPassword=wrong", 4008},
      {"memberID=1001&password=12345&oldPassword=secret01", 4009},
      {"memberID=1001&password=" + std::string(31, 'p') + "&oldPassword=secret01", 4009},
      {"memberID=1001&password=newpass1&oldPassword=secret01", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ask(kResetPasswordEndpoint, c.query).first, c.code) << c.query;
  }
  LoginSession s;
  EXPECT_EQ(Login(s, "workshop1", "secret01"), kLoginWrongPassword);
  EXPECT_EQ(Login(s, "workshop1", "newpass1"), kLoginOk);
  EXPECT_NE(test::ReadFile(example_.dir / "catalogue.json").find("newpass1"), std::string::npos);
}

TEST_F(UpdateServerTest, DealerResetsTheScannerOwnersPassword) {
  struct Case {
    std::string query;
    int code;
  } cases[] = {
      {"memberID=999&sn=KS0100001", 4007},
      {"memberID=1001&sn=KS0100001", 4055},  // a workshop is no dealer
      {"memberID=2001&sn=KS9999999", 3007},  // not one of the dealer's scanners
      {"memberID=2001&sn=KS0100003", 4007},  // no workshop account holds it
      {"memberID=2001&sn=KS0100002", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ask(kResetPasswordByTraderEndpoint, c.query).first, c.code) << c.query;
  }
  LoginSession s;
  EXPECT_EQ(Login(s, "workshop1", update_server::kDealerDefaultPassword), kLoginOk);
  EXPECT_EQ(Login(s, "dealer01", "dealer01pw"), kLoginOk);
}

TEST_F(UpdateServerTest, FaultsApplyPerEndpointAndToEverything) {
  server_.SetFault("listinfo", "code:77");
  EXPECT_EQ(Ask(kListInfoEndpoint, "").first, 77);
  EXPECT_EQ(Ask(kLoginEndpoint, "memberAccount=x&password=y").first, 4000);
  server_.SetFault("*", "notjson");
  EXPECT_EQ(Ask(kLoginEndpoint, "memberAccount=x&password=y").first, -100);
  EXPECT_EQ(server_.server().RequestCount("login"), 2u);
}

TEST(ParseFault, CommandLineForms) {
  struct Case {
    const char* text;
    bool ok;
    FaultKind kind;
    long arg;
  } cases[] = {
      {"html404", true, FaultKind::kHtml404, 0},  {"notjson", true, FaultKind::kNotJson, 0},
      {"code:-2", true, FaultKind::kCode, -2},    {"delay:1500", true, FaultKind::kDelay, 1500},
      {"truncate", true, FaultKind::kTruncate, 0}, {"drop", true, FaultKind::kDrop, 0},
      {"bandwidth:65536", true, FaultKind::kBandwidth, 65536},
      {"norange", true, FaultKind::kNoRange, 0},
      {"code", false, {}, 0},       {"code:x", false, {}, 0},   {"delay:0", false, {}, 0},
      {"delay:-5", false, {}, 0},   {"drop:1", false, {}, 0},   {"slow", false, {}, 0},
      {"", false, {}, 0},
  };
  for (const Case& c : cases) {
    Expected<update_server::Fault> fault = update_server::ParseFault(c.text);
    ASSERT_EQ(fault.ok(), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(fault->kind, c.kind) << c.text;
    EXPECT_EQ(fault->arg, c.arg) << c.text;
    EXPECT_EQ(update_server::FaultText(*fault), c.text);
  }
  Expected<update_server::EndpointFault> ef =
      update_server::ParseEndpointFault("body=body:{\"code\":1}");
  ASSERT_TRUE(ef.ok());
  EXPECT_EQ(ef->endpoint, "body");
  EXPECT_EQ(ef->fault.text, "{\"code\":1}");
  EXPECT_FALSE(update_server::ParseEndpointFault("=drop").ok());
  EXPECT_FALSE(update_server::ParseEndpointFault("login").ok());
}

}  // namespace
}  // namespace kest
