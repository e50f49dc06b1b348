// The request layer against the stand-in server over real HTTP on loopback: URL building, the
// percent encoding, the outcomes of ServerGet and the answer files they leave (none).

#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "server/json_read.h"
#include "server/server_get.h"
#include "server/url_encode.h"
#include "settings/option_file.h"
#include "tests/server/test_catalogue.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

using test::TempDir;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

// A port on 127.0.0.1 where nothing listens.
int ClosedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

NoAnswerReason ReasonOf(const ServerOutcome& outcome) {
  const auto* none = std::get_if<NoAnswer>(&outcome);
  EXPECT_NE(none, nullptr) << "expected no answer";
  return none ? none->reason : NoAnswerReason::TransportFailed;
}

TEST(UrlEncodeUtf8, EncodesAllButLettersAndDigits) {
  struct Case {
    std::string text, encoded;
  } cases[] = {
      {"a b", "a%20b"},
      {"\xC3\xA4", "%C3%A4"},  // ä
      {"x-y.z", "x%2Dy%2Ez"},
      {"AZaz09", "AZaz09"},
      {"_~+&=%/?#", "%5F%7E%2B%26%3D%25%2F%3F%23"},
      {"\xE4\xB8\xAD", "%E4%B8%AD"},  // 中
      {"a\r\nb\t", "a%0D%0Ab%09"},    // never a raw line break in the request line
      {"\xFF", "%EF%BF%BD"},          // malformed input goes out as U+FFFD
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlEncodeUtf8(c.text), c.encoded) << c.text;
}

TEST(UrlEncodeUtf8, TextsAboveTheLimitEncodeAsEmpty) {
  EXPECT_EQ(UrlEncodeUtf8(std::string(256, 'a')), std::string(256, 'a'));
  EXPECT_EQ(UrlEncodeUtf8(std::string(257, 'a')), "");
  // 128 two-byte characters are 256 bytes; one more is over, though only 129 characters.
  std::string umlauts;
  for (int i = 0; i < 128; ++i) umlauts += "\xC3\xA4";
  EXPECT_EQ(UrlEncodeUtf8(umlauts).size(), 256u * 3);
  EXPECT_EQ(UrlEncodeUtf8(umlauts + "\xC3\xA4"), "");
}

TEST(BuildRequestUrl, AddsTheSchemeOnlyWhenHttpIsMissing) {
  struct Case {
    std::string base, url;
  } cases[] = {
      {"127.0.0.1:47080", "http://127.0.0.1:47080/autodown/login?a=1"},
      {"http://h:1", "http://h:1/autodown/login?a=1"},
      {"https://h", "https://h/autodown/login?a=1"},
      {"myhttphost", "myhttphost/autodown/login?a=1"},   // "http" anywhere counts
      {"http://h/", "http://h//autodown/login?a=1"},     // no normalisation
  };
  for (const Case& c : cases) {
    OverrideServerUrl(c.base);
    EXPECT_EQ(BuildRequestUrl("/autodown/login?", "a=1"), c.url) << c.base;
  }
  OverrideServerUrl("");
}

class ServerGetTest : public ::testing::Test {
 protected:
  test::ScopedTmpDir tmp_;  // answer files land here, so a leftover is visible
  test::TestCatalogueDir catalogue_;
  test::UpdateServerFixture server_{catalogue_.path()};
};

TEST_F(ServerGetTest, BareHostAndPortReachesTheServer) {
  OverrideServerUrl("127.0.0.1:" + std::to_string(server_.port()));
  ServerOutcome outcome = ServerGet(kLoginEndpoint, "memberAccount=workshop1&password=secret01");
  const Answer* answer = AsAnswer(outcome);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer->status, 0);
  EXPECT_EQ(json::ReadInt(json::ReadObject(json::ReadObject(answer->root, "data"), "user"),
                          "memberID"),
            1001);
}

TEST_F(ServerGetTest, StatusComesFromCodeOrFromReaderForTheLanguageList) {
  server_.SetFault("login", "code:4000");
  const Answer* login = nullptr;
  ServerOutcome a = ServerGet(kLoginEndpoint, "memberAccount=x&password=y");
  ASSERT_NE(login = AsAnswer(a), nullptr);
  EXPECT_EQ(login->status, 4000);

  server_.SetFault("listlang", "code:1");
  ServerOutcome b = ServerGet(kListLangEndpoint, "token=x&sns=SN-A&lang=en&memberID=1");
  ASSERT_NE(AsAnswer(b), nullptr);
  EXPECT_EQ(AsAnswer(b)->status, 1);

  server_.SetFault("login", "body:{\"data\": 5}");  // no status member: success
  ServerOutcome c = ServerGet(kLoginEndpoint, "");
  ASSERT_NE(AsAnswer(c), nullptr);
  EXPECT_EQ(AsAnswer(c)->status, 0);
}

TEST_F(ServerGetTest, UnusableAnswersAreNoAnswerAndLeaveNoFileBehind) {
  struct Case {
    const char* fault;
    NoAnswerReason reason;
  } cases[] = {
      {"html404", NoAnswerReason::NotJson},   // an error page is no error code
      {"notjson", NoAnswerReason::NotJson},
      {"body:[1, 2]", NoAnswerReason::NotJson},                 // not an object
      {"body:{\"code\": \"0\"}", NoAnswerReason::NotJson},      // a status as text
      {"body:{\"code\": 1.5}", NoAnswerReason::NotJson},
      {"truncate", NoAnswerReason::TransportFailed},
      {"drop", NoAnswerReason::TransportFailed},
  };
  for (const Case& c : cases) {
    server_.SetFault("login", c.fault);
    ServerOutcome outcome = ServerGet(kLoginEndpoint, "memberAccount=workshop1&password=secret01");
    EXPECT_EQ(ReasonOf(outcome), c.reason) << c.fault;
    EXPECT_EQ(AnswerArrived(outcome), c.reason == NoAnswerReason::NotJson) << c.fault;
    EXPECT_EQ(FilesIn(tmp_.path()), std::vector<std::string>{}) << c.fault;
  }
  server_.ClearFaults();
  EXPECT_NE(AsAnswer(ServerGet(kLoginEndpoint, "memberAccount=a&password=b")), nullptr);
  EXPECT_EQ(FilesIn(tmp_.path()), std::vector<std::string>{});
}

TEST_F(ServerGetTest, HostileNestingIsNotJsonAndDoesNotThrow) {
  std::string deep = "body:{\"code\": 0, \"data\": " + std::string(100000, '[') + "}";
  server_.SetFault("login", deep);
  EXPECT_EQ(ReasonOf(ServerGet(kLoginEndpoint, "")), NoAnswerReason::NotJson);
}

TEST_F(ServerGetTest, AnswerAboveTheBoundIsRefusedUnparsed) {
  std::string padding(kMaxAnswerBytes, ' ');
  server_.SetFault("login", "body:{\"code\": 0}" + padding);
  ServerOutcome outcome = ServerGet(kLoginEndpoint, "");
  EXPECT_EQ(ReasonOf(outcome), NoAnswerReason::NotJson);
  EXPECT_EQ(FilesIn(tmp_.path()), std::vector<std::string>{});

  server_.SetFault("login", "body:{\"code\": 7}" + padding.substr(100));
  ServerOutcome below = ServerGet(kLoginEndpoint, "");
  ASSERT_NE(AsAnswer(below), nullptr);
  EXPECT_EQ(AsAnswer(below)->status, 7);
}

TEST(ServerGetTransport, RefusedConnectionIsTransportFailure) {
  test::ScopedTmpDir tmp;
  OverrideServerUrl("http://127.0.0.1:" + std::to_string(ClosedPort()));
  EXPECT_EQ(ReasonOf(ServerGet(kLoginEndpoint, "memberAccount=a&password=b")),
            NoAnswerReason::TransportFailed);
  EXPECT_EQ(FilesIn(tmp.path()), std::vector<std::string>{});
  OverrideServerUrl("");
}

}  // namespace
}  // namespace kest
