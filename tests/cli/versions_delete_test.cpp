// kest versions and kest delete as a user runs them: the program as a child process, against
// the stand-in server (in this process) with the demo catalogue, on a demo card in a desktop
// folder of the test's own.

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/kest_child.h"
#include "tests/support/sized_mount.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"
#include "tools/update-server/demo_catalogue.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;

class KestVersionsCliTest : public ::testing::Test {
 protected:
  // The demo catalogue (five kinds, three versions each) and a demo card at `card` on the
  // desktop `desktop`: Audi V5.10 (V5.20 and V5.30 added here), BMW V6.30, Citroën V7.10 and
  // V7.20.
  void Start(const std::string& card, const std::string& desktop) {
    demo::DemoOptions options;
    options.carKinds = 5;
    options.dataBytes = 1024;
    options.productItems = false;
    ASSERT_TRUE(demo::MakeDemoCatalogue(catalogue_.path(), options).ok());
    ASSERT_TRUE(demo::MakeDemoCard(card, options).ok());
    test::WriteFile(card + "/CarDB/AUDI/V5.20/data.en", "older");
    test::WriteFile(card + "/CarDB/AUDI/V5.30/data.en", "newest");
    card_ = card;
    server_ = std::make_unique<test::UpdateServerFixture>(catalogue_.path());
    test::SetUserSession(desktop_.path(), config_.path(), desktop);
  }
  void Start() { Start(desktop_ / "KEST card", desktop_.path()); }

  CommandResult Kest(std::vector<std::string> rest) {
    return test::RunKest(test::CardCommandArgs(server_->url(), card_, rest));
  }
  bool OnCard(const std::string& version) const {
    return test::Exists(card_ + "/CarDB/" + version);
  }
  // The output from the line that begins with `start` on.
  static std::string From(const std::string& out, const std::string& start) {
    size_t at = out.find(start);
    return at == std::string::npos ? out : out.substr(at);
  }

  test::ScopedTmpDir tmp_;
  test::TempDir catalogue_{"kest-catalogue"};
  test::TempDir desktop_{"kest-desktop"};
  test::TempDir config_{"kest-config"};
  std::string card_;
  std::unique_ptr<test::UpdateServerFixture> server_;
};

TEST_F(KestVersionsCliTest, ListDeleteTheOlderVersionsAndListAgain) {
  Start();
  CommandResult listed = Kest({"versions"});
  EXPECT_EQ(listed.status, 0) << listed.out;
  EXPECT_NE(listed.out.find("Card " + card_ + " ("), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("), scanner KS0100001, language EN\n"), std::string::npos)
      << listed.out;
  EXPECT_EQ(From(listed.out, "  name"),
            "  name     path     versions (newest first)\n"
            "  Audi     AUDI     V5.30  V5.20  V5.10\n"
            "  Citroën  CITROEN  V7.20  V7.10\n");

  CommandResult deleted = Kest({"delete", "audi=v5.10", "AUDI=V5.20", "citroen=V7.10"});
  EXPECT_EQ(deleted.status, 0) << deleted.out;
  EXPECT_NE(deleted.out.find("Deleting 3 version(s) from " + card_ + "\n"
                             "[1/3] Audi V5.10: Deleting\n"
                             "[1/3] Audi V5.10: Finished\n"
                             "[2/3] Audi V5.20: Deleting\n"
                             "[2/3] Audi V5.20: Finished\n"
                             "[3/3] Citroën V7.10: Deleting\n"
                             "[3/3] Citroën V7.10: Finished\n"
                             "Finished\n"
                             "Left on the card ("),
            std::string::npos)
      << deleted.out;
  EXPECT_EQ(From(deleted.out, "  name"),
            "  name     path     versions (newest first)\n"
            "  Audi     AUDI     V5.30\n"
            "  Citroën  CITROEN  V7.20\n");
  EXPECT_FALSE(OnCard("AUDI/V5.10"));
  EXPECT_FALSE(OnCard("AUDI/V5.20"));
  EXPECT_FALSE(OnCard("CITROEN/V7.10"));
  EXPECT_TRUE(OnCard("AUDI/V5.30/data.en"));
  EXPECT_TRUE(OnCard("CITROEN/V7.20/data.en"));

  listed = Kest({"versions"});
  EXPECT_EQ(listed.status, 0) << listed.out;
  EXPECT_NE(
      listed.out.find("\nThere's just one and only version for each brand in this SD card\n"),
      std::string::npos)
      << listed.out;
}

TEST_F(KestVersionsCliTest, MistakesAreReportedBeforeAnythingIsDeleted) {
  Start();
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"delete"}, 2, "usage: kest delete"},
      {{"delete", "audi"}, 2, "as KIND=VERSION (not audi)"},
      {{"delete", "=V5.10"}, 2, "as KIND=VERSION (not =V5.10)"},
      {{"delete", "bmw=V6.30"}, 2, "no car kind named bmw has two or more versions"},
      {{"delete", "audi=V9.99"}, 2, "audi has no version V9.99 on the card (on the card: V5.30 "
                                    "V5.20 V5.10)"},
      {{"delete", "audi=V5.10", "opel=V1"}, 2, "no car kind named opel"},
      {{"versions", "extra"}, 2, "usage: kest versions"},
  };
  for (const Case& c : cases) {
    CommandResult run = Kest(c.args);
    EXPECT_EQ(run.status, c.status) << c.message << ": " << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
  }
  EXPECT_TRUE(OnCard("AUDI/V5.10/data.en"));

  server_->SetFault("listinfo", "notjson");
  CommandResult run = Kest({"delete", "audi=V5.10"});
  EXPECT_EQ(run.status, 3) << run.out;
  EXPECT_NE(run.out.find("Web access failed"), std::string::npos) << run.out;
  server_->SetFault("listinfo", "code:4010");
  run = Kest({"versions"});
  EXPECT_EQ(run.status, 4) << run.out;
  EXPECT_NE(run.out.find("refused the list of car kinds (code 4010)"), std::string::npos)
      << run.out;
  EXPECT_TRUE(OnCard("AUDI/V5.10/data.en"));
}

TEST_F(KestVersionsCliTest, AFailedDeletionMakesTheExitStatusOne) {
  test::SizedMount card(4 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  Start(card.path(), fs::path(card.path()).parent_path().string());
  ASSERT_EQ(::mount(nullptr, card.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  CommandResult run = Kest({"delete", "audi=V5.10", "citroen=V7.10"});
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("[1/2] Audi V5.10: Failed to delete\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[2/2] Citroën V7.10: Failed to delete\n"), std::string::npos)
      << run.out;
  EXPECT_TRUE(OnCard("AUDI/V5.10/data.en"));
}

}  // namespace
}  // namespace kest
