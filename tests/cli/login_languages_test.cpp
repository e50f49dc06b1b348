// kest login and kest languages as a user runs them: the programs kest and kest-update-server
// as child processes, talking over loopback.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/kest_child.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

using test::CommandResult;

// kest against `server` with `account` in the environment (and the password when one is
// given), `args` split at blanks, and `input` on its standard input.
CommandResult Kest(const std::string& server, const std::string& account,
                   const std::string& password, const std::string& args,
                   const std::string& input = "") {
  std::vector<std::string> argv = {"--config", "/nonexistent/option.ini", "--server", server};
  std::istringstream words(args);
  for (std::string word; words >> word;) argv.push_back(word);
  std::vector<std::string> env = {"KEST_ACCOUNT=" + account};
  if (!password.empty()) env.push_back("KEST_PASSWORD=" + password);
  test::KestChild kest(argv, env);
  if (!input.empty()) kest.Answer(input);
  return kest.Finish();
}

class KestCliTest : public ::testing::Test {
 protected:
  struct ExampleCopy {
    ExampleCopy() { test::CopyExampleCatalogue(dir.path()); }
    test::TempDir dir;
  };
  ExampleCopy example_;
  test::UpdateServerFixture server_{example_.dir.path()};
};

TEST_F(KestCliTest, LoginShowsMemberRoleAndSerialNumbers) {
  CommandResult run = Kest(server_.url(), "dealer01", "dealer01pw", "login");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "Member: dealer01 (memberID 2001)\n"
            "Role: dealer\n"
            "Serial numbers:\n"
            "  KS0100001  (current)\n"
            "  KS0100002\n"
            "  KS0100003\n");
}

TEST_F(KestCliTest, PasswordFromThePromptWhenNotInTheEnvironment) {
  CommandResult run = Kest(server_.url(), "workshop1", "", "login", "secret01\n");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Role: member"), std::string::npos) << run.out;
}

TEST_F(KestCliTest, FailuresHaveTheirOwnExitStatus) {
  struct Case {
    std::string server, account, password, args, message;
    int status;
  } cases[] = {
      {server_.url(), "workshop1", "wrong", "login", "User name or password error", 4},
      {server_.url(), "", "x", "login", "Username error", 2},
      {"http://127.0.0.1:1", "workshop1", "secret01", "login", "Server connection failed", 3},
      {server_.url(), "workshop1", "secret01", "--serial KS0100003 login", "does not belong", 2},
      {server_.url(), "workshop1", "secret01", "login extra", "usage: kest login", 2},
  };
  for (const Case& c : cases) {
    CommandResult run = Kest(c.server, c.account, c.password, c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
  }
  server_.SetFault("login", "html404");
  EXPECT_EQ(Kest(server_.url(), "workshop1", "secret01", "login").status, 3);
  server_.SetFault("login", "code:-2");
  EXPECT_EQ(Kest(server_.url(), "workshop1", "secret01", "login").status, 4);
}

TEST_F(KestCliTest, LanguagesOfTheChosenScanner) {
  CommandResult run = Kest(server_.url(), "workshop1", "secret01", "--serial KS0100002 languages");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "Package languages for KS0100002:\n"
            "  langID   code   name\n"
            "  1        EN     English\n");
  run = Kest(server_.url(), "workshop1", "secret01", "languages");
  EXPECT_NE(run.out.find("  2        DE     Deutsch\n"), std::string::npos) << run.out;

  server_.SetFault("listlang", "code:1");
  run = Kest(server_.url(), "workshop1", "secret01", "languages");
  EXPECT_EQ(run.status, 4) << run.out;
}

// The whole way a newcomer goes: the server program on the example catalogue, then kest login.
TEST(KestWithServerProgram, LoginAgainstARunningServer) {
  test::TempDir catalogue;
  test::CopyExampleCatalogue(catalogue.path());
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(KEST_SERVER_PATH, KEST_SERVER_PATH, "--catalogue", catalogue.path().c_str(),
            "--listen", "127.0.0.1:0", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  FILE* log = ::fdopen(out[0], "r");
  char line[512] = {};
  std::string url;
  while (url.empty() && std::fgets(line, sizeof line, log)) {
    std::string text = line;
    size_t at = text.find("listening on ");
    if (at != std::string::npos) url = text.substr(at + 13, text.find(',', at) - at - 13);
  }
  ASSERT_FALSE(url.empty()) << "the server printed no address";

  CommandResult run = Kest(url, "workshop1", "secret01", "login");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("  KS0100001  (current)\n  KS0100002\n"), std::string::npos) << run.out;

  ASSERT_TRUE(std::fgets(line, sizeof line, log));  // its log line for our request
  EXPECT_NE(std::string(line).find("GET /autodown/login?memberAccount=workshop1&password=***"),
            std::string::npos)
      << line;
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::fclose(log);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kest
