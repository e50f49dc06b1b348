// The two requests that complete a system program: the menu configuration and the custom
// files, and the staging folder they write into.

#include "tests/update/update_test_env.h"

#include <filesystem>

#include "update/run_requests.h"
#include "update/staging_folder.h"

namespace kest::test {
namespace {

class RunRequestsTest : public UpdateEngineTest {};

TEST_F(RunRequestsTest, MenuConfiguration) {
  Start();
  const std::string config = StagingFolder() + "sys/en/config.xml";
  struct Case {
    const char* fault;  // on getmenuconfig
    const char* code;
    bool ok;
    const char* first_line;  // of the stored file; empty: no file
  } cases[] = {
      {"", "en", true, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
      // An answer that is no JSON is the configuration file itself.
      {"body:<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<menu/>", "en", true,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
      // No "encoding" on the first line: nothing is kept that could replace the card's copy.
      {"body:<menu/>", "en", false, ""},
      {"code:4041", "en", false, ""},
      {"", "../../x", false, ""},  // a code that is no folder name: no request at all
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(StagingFolder());
    if (*c.fault) server_->SetFault("getmenuconfig", c.fault);
    server_->server().ClearRequests();
    EXPECT_EQ(FetchMenuConfig(2, 7, c.code), c.ok) << c.fault;
    std::string line = ReadFile(config).substr(0, ReadFile(config).find('\n'));
    EXPECT_EQ(line, c.first_line) << c.fault;
    server_->ClearFaults();
  }
  EXPECT_TRUE(server_->server().Requests().empty());
  EXPECT_FALSE(Exists(tmp_.path() + "/x"));

  // A link in the staging folder (a package can bring one) is not written through.
  TempDir elsewhere("kest-elsewhere");
  std::filesystem::remove_all(StagingFolder());
  std::filesystem::create_directories(StagingFolder());
  std::filesystem::create_directory_symlink(elsewhere.path(), StagingFolder() + "sys");
  EXPECT_FALSE(FetchMenuConfig(2, 7, "en"));
  EXPECT_FALSE(Exists(elsewhere / "en/config.xml"));
}

TEST_F(RunRequestsTest, CustomFilesStayInsideTheStagingFolder) {
  Start();
  std::string address = server_->url() + "/files/custom/KS0100001/dealer.ini";
  server_->SetFault("downcustom", "body:{\"code\": 0, \"data\": {"
                                  "\"../escape.txt\": \"" + address + "\", "
                                  "\"/abs.txt\": \"" + address + "\", "
                                  "\"sys/a/..\": \"" + address + "\", "
                                  "\"sys\\\\win\\\\dealer.ini\": \"" + address + "\", "
                                  "\"sys/custom/dealer.ini\": \"" + address + "\", "
                                  "\"sys/missing.ini\": \"" + server_->url() + ":1/x\"}}");
  EXPECT_FALSE(FetchCustomFiles("KS0100001", 2));  // not every file arrived
  const std::string dealer = "[dealer]\nname=Example Motors\n";
  EXPECT_EQ(ReadFile(StagingFolder() + "sys/custom/dealer.ini"), dealer);
  EXPECT_EQ(ReadFile(StagingFolder() + "sys/win/dealer.ini"), dealer);  // "\" separates too
  EXPECT_FALSE(Exists(tmp_.path() + "/escape.txt"));
  EXPECT_FALSE(Exists("/abs.txt"));
  EXPECT_FALSE(Exists(StagingFolder() + "sys/a"));

  server_->ClearFaults();
  EXPECT_TRUE(FetchCustomFiles("KS0100001", 2));
  EXPECT_TRUE(FetchCustomFiles("KS0100002", 2));  // nothing for that scanner: nothing to fail
  server_->SetFault("downcustom", "code:1");
  EXPECT_FALSE(FetchCustomFiles("KS0100001", 2));
}

}  // namespace
}  // namespace kest::test
