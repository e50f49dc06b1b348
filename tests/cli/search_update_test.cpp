// kest search and kest update as a user runs them: the program as a child process, against
// the stand-in server (in this process) with demo packages, on a card in a desktop folder of
// the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
using test::KestChild;

class KestUpdateCliTest : public ::testing::Test {
 protected:
  // The desktop is `desktop` (default: a folder of the test's own, holding the card).
  void Start(uint64_t data_bytes = 2048, const std::string& desktop = {}) {
    demo::DemoOptions options;
    options.carKinds = 3;
    options.versionsPerKind = 2;
    options.dataBytes = data_bytes;
    options.languages = {{"1", "EN", "English"}, {"2", "DE", "Deutsch"}};
    Status made = demo::MakeDemoCatalogue(catalogue_.path(), options);
    ASSERT_TRUE(made.ok()) << made.error().message;
    server_ = std::make_unique<test::UpdateServerFixture>(catalogue_.path());
    test::SetUserSession(desktop_.path(), config_.path(),
                         desktop.empty() ? desktop_.path() : desktop);
    fs::create_directories(card_);
  }
  std::vector<std::string> Args(const std::string& card, std::vector<std::string> rest) {
    return test::CardCommandArgs(server_->url(), card, rest);
  }
  CommandResult Kest(std::vector<std::string> rest, const std::string& card = {}) {
    return KestChild(Args(card.empty() ? card_ : card, std::move(rest))).Finish();
  }
  // The output without its first line (which names the free space).
  static std::string Table(const std::string& out) { return out.substr(out.find('\n') + 1); }

  test::ScopedTmpDir tmp_;
  test::TempDir catalogue_{"kest-catalogue"};
  test::TempDir desktop_{"kest-desktop"};
  test::TempDir config_{"kest-config"};
  std::string card_ = desktop_ / "KEST card";
  std::unique_ptr<test::UpdateServerFixture> server_;
};

TEST_F(KestUpdateCliTest, SearchThenUpdateThenNothingIsLeft) {
  Start();
  test::WriteFile(card_ + "/CarDB/AUDI/V5.10/data.en", "old");
  CommandResult search = Kest({"search"});
  EXPECT_EQ(search.status, 0) << search.out;
  EXPECT_EQ(search.out.substr(0, search.out.find(" (")),
            "Scanner KS0100001, language EN, card " + card_);
  EXPECT_EQ(Table(search.out),
            "  update  name      path     server  card\n"
            "  [ ]     ecudata            V2.00   -\n"
            "  [x]     firmware           V3.00   -\n"
            "  [x]     system             V1.10   -\n"
            "  [x]     Audi      AUDI     V5.20   V5.10\n"
            "  [x]     BMW       BMW      V6.20   -\n"
            "  [x]     Citroën   CITROEN  V7.20   -\n");

  CommandResult update = Kest({"update"});
  EXPECT_EQ(update.status, 0) << update.out;
  // Line by line: a debug build's trace lines on standard error come in between.
  for (const char* line : {"Updating 5 of 6 item(s) for KS0100001 on ",
                           "\n[4/6] Audi V5.20: Downloading\n", "\n[4/6] Audi V5.20: Installing\n",
                           "\n[4/6] Audi V5.20: Update completed\nProgress: 50%\n",
                           "\nUpdate completed\nProgress: 100%\n"}) {
    EXPECT_NE(update.out.find(line), std::string::npos) << line << "\n" << update.out;
  }
  EXPECT_EQ(update.out.find("Extracting"), std::string::npos) << update.out;

  search = Kest({"search"});
  EXPECT_EQ(Table(search.out).find("[x]     Audi"), std::string::npos) << search.out;
  EXPECT_NE(Table(search.out).find("[ ]     Citroën   CITROEN  V7.20   V7.20"), std::string::npos)
      << search.out;
}

TEST_F(KestUpdateCliTest, UpdateTheNamedRowsWithChosenVersions) {
  Start();
  CommandResult run = Kest({"--lang", "de", "update", "audi=v5.10", "citroen"});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Updating 2 of 6 item(s)"), std::string::npos) << run.out;
  EXPECT_TRUE(test::Exists(card_ + "/CarDB/AUDI/V5.10/data.de"));
  EXPECT_TRUE(test::Exists(card_ + "/CarDB/CITROEN/V7.20/data.de"));
  EXPECT_FALSE(test::Exists(card_ + "/CarDB/BMW"));
  EXPECT_FALSE(test::Exists(card_ + "/sys"));
}

TEST_F(KestUpdateCliTest, MistakesAreReportedBeforeAnythingIsInstalled) {
  Start();
  test::WriteFile(desktop_ / "a file", "x");
  struct Case {
    std::vector<std::string> args;
    std::string card;
    int status;
    const char* message;
  } cases[] = {
      {{"search"}, " ", 2, "Path cannot be empty"},
      {{"search"}, desktop_ / "missing", 2, "Invalid SD path"},
      {{"search"}, desktop_ / "a file", 2, "Invalid SD path"},
      {{"search"}, catalogue_.path(), 2, "Select SD card or a desktop folder"},
      {{"--lang", "fr", "search"}, "", 2, "offers no language fr for KS0100001 (offered: EN DE)"},
      {{"--serial", "KS0100002", "--lang", "de", "search"}, "", 2, "(offered: EN)"},
      {{"update", "opel"}, "", 2, "offers nothing named opel"},
      {{"update", "audi=V9"}, "", 2, "audi has no version V9 (offered: V5.20 V5.10)"},
      {{"search", "extra"}, "", 2, "usage: kest search"},
  };
  for (const Case& c : cases) {
    CommandResult run = Kest(c.args, c.card);
    EXPECT_EQ(run.status, c.status) << c.message << ": " << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
  }
  EXPECT_EQ(server_->server().RequestCount("files"), 0u);
  EXPECT_TRUE(fs::is_empty(card_));

  server_->SetFault("listinfo", "code:4010");
  CommandResult run = Kest({"update"});
  EXPECT_EQ(run.status, 3) << run.out;
  EXPECT_NE(run.out.find("Web access failed"), std::string::npos) << run.out;
}

TEST_F(KestUpdateCliTest, AFailedItemMakesTheExitStatusOne) {
  Start();
  Status made = demo::MakeCarKindPackage(catalogue_ / "packages/bmw_V6.20_en.7z", "BMW", "V6.20",
                                         "en", 100, /*with_data_file=*/false);
  ASSERT_TRUE(made.ok());
  CommandResult run = Kest({"update", "bmw", "audi"});
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("[5/6] BMW V6.20: Installation failed\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("[4/6] Audi V5.20: Update completed\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nPlease reinstall the failed item(s)\n"), std::string::npos)
      << run.out;
}

TEST_F(KestUpdateCliTest, AFullCardAsksOnTheTerminal) {
  test::SizedMount card(32 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  Start(4 << 20, fs::path(card.path()).parent_path().string());
  auto fill = [&] {
    std::ofstream filler(card.path() + "/filler", std::ios::binary);
    filler << std::string(20 << 20, 'f');  // 12 MiB stay: less than 4 MiB + 10 MiB
  };

  fill();
  {
    KestChild kest(Args(card.path(), {"update", "bmw"}));
    ASSERT_TRUE(kest.ReadUntil("Insufficient SD card memory"));
    ASSERT_TRUE(kest.ReadUntil("continue? [y/N] "));
    kest.Answer("y\n");  // no room made yet: asked again
    ASSERT_TRUE(kest.ReadUntil("continue? [y/N] "));
    fs::remove(card.path() + "/filler");
    kest.Answer("y\n");
    CommandResult run = kest.Finish();
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("[5/6] BMW V6.20: stopped\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("[5/6] BMW V6.20: Update completed\n"), std::string::npos) << run.out;
    EXPECT_TRUE(test::Exists(card.path() + "/CarDB/BMW/V6.20/data.en"));
  }

  fill();
  KestChild kest(Args(card.path(), {"update", "citroen"}));
  ASSERT_TRUE(kest.ReadUntil("continue? [y/N] "));
  kest.Answer("n\n");
  CommandResult run = kest.Finish();
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("[6/6] Citroën V7.20: Installation aborted.\n"), std::string::npos)
      << run.out;
  EXPECT_FALSE(test::Exists(card.path() + "/CarDB/CITROEN"));
}

}  // namespace
}  // namespace kest
