// HttpGetToFile against the stand-in server: whole bodies, bodies of error pages, broken and
// stalled transfers, and pausing in the middle of a package.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/work_control.h"
#include "server/http_get.h"
#include "tests/server/test_catalogue.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

using test::ReadFile;
using test::TempDir;

// Polls `done` with a generous limit, so that a broken test fails instead of hanging.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 6000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class HttpGetTest : public ::testing::Test {
 protected:
  static constexpr size_t kBigSize = 3 * 1024 * 1024 + 17;
  ~HttpGetTest() override { SetHttpLimits(HttpLimits{}); }

  std::string BigUrl() const { return server_.url() + "/files/packages/big.bin"; }
  std::string Big() const { return ReadFile(catalogue_ / "packages/big.bin"); }

  test::TestCatalogueDir catalogue_{kBigSize};
  TempDir out_;
  test::UpdateServerFixture server_{catalogue_.path()};
};

TEST_F(HttpGetTest, StoresTheWholeBodyAsSentWithOurHeaders) {
  std::string target = out_ / "big.bin";
  test::WriteFile(target, std::string(kBigSize * 2, 'x'));  // a longer old file is truncated
  ASSERT_TRUE(HttpGetToFile(BigUrl(), target));
  EXPECT_TRUE(ReadFile(target) == Big());
  auto requests = server_.server().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].user_agent, "Download From HTTP");
  EXPECT_EQ(requests[0].accept, "*/*");
}

TEST_F(HttpGetTest, ErrorPagesAreStoredLikeAnyBody) {
  std::string target = out_ / "page";
  ASSERT_TRUE(HttpGetToFile(server_.url() + "/files/not/there", target));
  EXPECT_NE(ReadFile(target).find("404 Not Found"), std::string::npos);
}

// A file that goes onto the card as it comes must not be the server's error page.
TEST_F(HttpGetTest, DownloadingAFileFailsOnAnErrorStatus) {
  std::string target = out_ / "file";
  EXPECT_FALSE(HttpDownloadFile(server_.url() + "/files/packages/none.bin", target));
  EXPECT_NE(ReadFile(target).find("404 Not Found"), std::string::npos);  // stored all the same
  ASSERT_TRUE(HttpDownloadFile(BigUrl(), target));
  EXPECT_TRUE(ReadFile(target) == Big());
}

TEST_F(HttpGetTest, FailuresReportFalse) {
  struct Case {
    const char* fault;
    std::string url;
  } cases[] = {
      {"truncate", BigUrl()},
      {"drop", BigUrl()},
      {nullptr, ""},
      {nullptr, "file://" + (catalogue_ / "catalogue.json")},  // only http and https
  };
  for (const Case& c : cases) {
    if (c.fault) server_.SetFault("files", c.fault);
    EXPECT_FALSE(HttpGetToFile(c.url, out_ / "t")) << (c.fault ? c.fault : c.url);
    server_.ClearFaults();
  }
  EXPECT_FALSE(HttpGetToFile(BigUrl(), ""));
  EXPECT_FALSE(HttpGetToFile(BigUrl(), out_ / "no/such/folder/file"));
}

TEST_F(HttpGetTest, TargetIsLeftAloneWhenNothingAnswers) {
  std::string target = out_ / "keep";
  test::WriteFile(target, "old content");
  server_.SetFault("files", "drop");
  EXPECT_FALSE(HttpGetToFile(BigUrl(), target));
  EXPECT_EQ(ReadFile(target), "old content");
}

TEST_F(HttpGetTest, StalledServerEndsAtTheStallLimit) {
  SetHttpLimits({.connect_timeout_seconds = 5, .stall_seconds = 1, .stall_bytes_per_second = 1});
  server_.SetFault("files", "delay:600000");  // says nothing for ten minutes
  EXPECT_FALSE(HttpGetToFile(BigUrl(), out_ / "t"));
}

// A port whose listen queue is full: the kernel drops further connection requests, so a
// client's connect never completes. Returns the port, or 0 when the queue would not fill.
int PortThatNeverConnects(std::vector<int>& sockets) {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockets.push_back(listener);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener, 0) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    return 0;
  }
  for (int i = 0; i < 16; ++i) {  // fill the queue until a connect stays pending
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockets.push_back(fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) continue;
    pollfd p{fd, POLLOUT, 0};
    if (errno == EINPROGRESS && ::poll(&p, 1, 500) == 0) return ntohs(addr.sin_port);
  }
  return 0;
}

TEST_F(HttpGetTest, ConnectionThatNeverStandsEndsAtTheConnectLimit) {
  std::vector<int> sockets;
  int port = PortThatNeverConnects(sockets);
  if (port == 0) GTEST_SKIP() << "the listen queue of a loopback port did not fill up";
  SetHttpLimits({.connect_timeout_seconds = 1, .stall_seconds = 60, .stall_bytes_per_second = 1});
  std::string target = out_ / "t";
  EXPECT_FALSE(HttpGetToFile("http://127.0.0.1:" + std::to_string(port) + "/x", target));
  EXPECT_FALSE(test::Exists(target));
  for (int fd : sockets) ::close(fd);
}

// Pauses a slow download once part of it is on disk, waits until the client has given up its
// connection, resumes, and checks the file and the requests the server saw.
void PauseAndResume(test::UpdateServerFixture& server, const std::string& url,
                    const std::string& target, bool& ok) {
  std::atomic<bool> finished{false};
  std::thread download([&] {
    ok = HttpGetToFile(url, target);
    finished = true;
  });
  ASSERT_TRUE(WaitFor([&] { return ReadFile(target).size() >= 256 * 1024; }));
  WorkGate().Close();
  EXPECT_TRUE(WaitFor([&] { return server.server().BrokenTransfers() == 1; }));
  size_t paused_size = ReadFile(target).size();
  EXPECT_FALSE(finished);
  EXPECT_EQ(ReadFile(target).size(), paused_size);
  WorkGate().Open();
  download.join();
}

TEST_F(HttpGetTest, PausedDownloadContinuesWithARangeRequest) {
  server_.SetFault("files", "bandwidth:2000000");
  std::string target = out_ / "big.bin";
  bool ok = false;
  PauseAndResume(server_, BigUrl(), target, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ReadFile(target) == Big());
  auto requests = server_.server().Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].range, "");
  EXPECT_TRUE(requests[1].range.starts_with("bytes=")) << requests[1].range;
  EXPECT_NE(requests[1].range, "bytes=0-");
}

TEST_F(HttpGetTest, ServerWithoutRangesIsReadFromTheStartAgain) {
  server_.SetFault("files", "bandwidth:2000000");
  server_.server().AddFault("files", {update_server::FaultKind::kNoRange, 0, {}});
  std::string target = out_ / "big.bin";
  bool ok = false;
  PauseAndResume(server_, BigUrl(), target, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ReadFile(target) == Big());  // not the old part with the whole file behind it
  EXPECT_EQ(server_.server().Requests().size(), 2u);
}

TEST_F(HttpGetTest, TransferStartedWhileTheGateIsClosedIsNotPaused) {
  WorkGate().Close();
  bool ok = HttpGetToFile(BigUrl(), out_ / "big.bin");
  WorkGate().Open();
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ReadFile(out_ / "big.bin") == Big());
}

}  // namespace
}  // namespace kest
