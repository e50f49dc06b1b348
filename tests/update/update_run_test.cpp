// The update run against the stand-in server with real packages and real folders: row states,
// progress, what lands on the card, retries, stopping, and what never leaves its folder.

#include "tests/update/update_test_env.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <sys/stat.h>

#include "app/kest_helper_app.h"
#include "catalogue/kest_car.h"
#include "install/card_folder.h"
#include "platform/temp_files.h"
#include "platform/work_control.h"
#include "tests/support/archive_fixtures.h"
#include "update/staging_folder.h"

namespace kest::test {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

class UpdateRunTest : public UpdateEngineTest {
 protected:
  // The rows after a search, with only the rows named ticked.
  static std::vector<GridRow> Ticked(const CKestProduct& catalogue, std::vector<int> ticked) {
    std::vector<GridRow> rows = RowsAfterSearch(catalogue);
    for (GridRow& row : rows) row.ticked = false;
    for (int t : ticked) rows.at(static_cast<size_t>(t) - 1).ticked = true;
    return rows;
  }
  // Leftovers of a run in the temporary folder: the staging folder and package files.
  static std::vector<std::string> TempLeftovers() {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(platform::TempFolder())) {
      std::string name = e.path().filename().string();
      if (name == "KestSD" || name.rfind("sub", 0) == 0 || name.rfind("ins", 0) == 0) {
        names.push_back(name);
      }
    }
    return names;
  }
};

// Rows: 1 ecudata, 2 firmware (a container), 3 system, 4 Audi, 5 BMW, 6 Citroën.
TEST_F(UpdateRunTest, InstallsTheTickedRowsOntoTheCard) {
  Start();
  CKestProduct catalogue = Search();
  RecordingReporter reporter;
  EXPECT_FALSE(RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter));

  EXPECT_EQ(reporter.events.front(), "started");
  EXPECT_EQ(reporter.Matching("row:"),
            (Events{"row:2:1", "row:2:2", "row:2:3", "row:3:1", "row:3:2", "row:3:3", "row:4:1",
                    "row:4:2", "row:4:2", "row:4:2", "row:4:3", "row:5:1", "row:5:2", "row:5:2",
                    "row:5:2", "row:5:3", "row:6:1", "row:6:2", "row:6:2", "row:6:2",
                    "row:6:3"}));
  // Unticked ecudata counts as done: the first handled row reports one row done.
  EXPECT_EQ(reporter.Matching("done:"),
            (Events{"done:1/6", "done:2/6", "done:3/6", "done:4/6", "done:5/6", "done:6/6"}));
  EXPECT_EQ(reporter.Matching("progress:"), Events{"progress:0"});
  Events tail(reporter.events.end() - 4, reporter.events.end());
  EXPECT_EQ(tail, (Events{"closing:updatetaskcomplete", "done:6/6", "ended", "finished"}));

  for (const char* file :
       {"CarDB/AUDI/V5.20/data.en", "CarDB/BMW/V6.20/menu.txt", "CarDB/CITROEN/V7.20/data.en",
        "sys/system/version.txt", "sys/firmware/version.txt", "firmware.txt",
        "sys/custom/dealer.ini", "sys/en/config.xml"}) {
    EXPECT_TRUE(Exists(card_ / file)) << file;
  }
  EXPECT_FALSE(Exists(card_ / "upbase.exe"));
  EXPECT_FALSE(Exists(card_ / "sys/ecudata"));
  EXPECT_EQ(ReadFile(card_ / "sys/lang.dat"), "EN");
  EXPECT_EQ(ReadFile(card_ / "sys/lang"), "English");
  EXPECT_EQ(ReadFile(card_ / "update.log").size(), 10u);
  EXPECT_EQ(ReadFile(card_ / "sys/system/version.txt"), "system V1.10\n");
  EXPECT_TRUE(TempLeftovers().empty());
  // The menu configuration request names the last product item of the search.
  bool asked = false;
  for (const auto& r : server_->server().Requests()) {
    asked = asked || r.target == "/autodown/getmenuconfig?productInfoID=7&region=2&lang=en";
  }
  EXPECT_TRUE(asked);
  // A product item counts as installed until the catalogue is refilled: again, no download.
  RecordingReporter again;
  server_->server().ClearRequests();
  RunUpdate(catalogue, Ticked(catalogue, {3}), again);
  EXPECT_EQ(again.Matching("row:"), (Events{"row:3:1", "row:3:3"}));
  EXPECT_EQ(server_->server().RequestCount("files"), 0u);
}

TEST_F(UpdateRunTest, AVersionAlreadyOnTheCardNeedsNoDownload) {
  Start();
  WriteFile(card_ / "cardb/audi/v5.20/DATA.EN", "already there");
  CKestProduct catalogue = Search();
  RecordingReporter reporter;
  RunUpdate(catalogue, Ticked(catalogue, {4}), reporter);
  EXPECT_EQ(reporter.Matching("row:"), (Events{"row:4:1", "row:4:3"}));
  EXPECT_EQ(server_->server().RequestCount("getdownloadurl"), 0u);
  EXPECT_EQ(ReadFile(card_ / "cardb/audi/v5.20/DATA.EN"), "already there");
}

TEST_F(UpdateRunTest, ACardThatSpellsItsFoldersDifferentlyIsUpdatedInPlace) {
  Start();
  WriteFile(card_ / "cardb/Audi/V5.10/DATA.EN", "old");
  CKestProduct catalogue = Search();
  ASSERT_EQ(catalogue.cars[0].localVersions.size(), 1u);
  RecordingReporter reporter;
  RunUpdate(catalogue, Ticked(catalogue, {4}), reporter);
  EXPECT_EQ(reporter.Matching("row:4:").back(), "row:4:3");
  EXPECT_TRUE(Exists(card_ / "cardb/Audi/V5.20/data.en"));
  EXPECT_FALSE(Exists(card_ / "CarDB"));  // no second CarDB beside the card's own
}

TEST_F(UpdateRunTest, APackageWithoutTheLanguagesDataFileFailsAfterFiveAttempts) {
  Start();
  Status made = demo::MakeCarKindPackage(PackageOf("AUDI", "V5.20"), "AUDI", "V5.20", "en", 1024,
                                         /*with_data_file=*/false);
  ASSERT_TRUE(made.ok()) << made.error().message;
  CKestProduct catalogue = Search();
  RecordingReporter reporter;
  EXPECT_TRUE(RunUpdate(catalogue, Ticked(catalogue, {4, 5}), reporter));
  EXPECT_EQ(FileRequests("audi_V5.20_en.7z"), 5u);
  Events audi = reporter.Matching("row:4:");
  EXPECT_EQ(audi.size(), 1u + 5 * 2 + 1 + 1);
  EXPECT_EQ(audi.back(), "row:4:5");
  EXPECT_EQ(reporter.Matching("row:5:").back(), "row:5:3");  // the next row goes on
  EXPECT_EQ(reporter.Matching("closing:"), Events{"closing:pleaseretry"});
  EXPECT_FALSE(Exists(card_ / "CarDB/AUDI/V5.20/data.en"));
  EXPECT_EQ(catalogue.cars[0].serverVersions[0].installedMark, 0);
}

TEST_F(UpdateRunTest, AFailedDownloadEndsItsRowWithoutProgress) {
  Start();
  CKestProduct catalogue = Search();
  catalogue.cars[1].serverVersions[0].path = "packages/gone.7z";  // the server knows no such
  RecordingReporter reporter;
  EXPECT_TRUE(RunUpdate(catalogue, Ticked(catalogue, {3, 5}), reporter));
  EXPECT_EQ(reporter.Matching("row:5:"), (Events{"row:5:1", "row:5:4"}));
  EXPECT_EQ(reporter.Matching("done:"), (Events{"done:2/6", "done:6/6"}));
}

TEST_F(UpdateRunTest, AProductItemWithoutMenuConfigurationFailsAfterCopying) {
  Start();
  server_->SetFault("getmenuconfig", "code:4041");
  CKestProduct catalogue = Search();
  RecordingReporter reporter;
  EXPECT_TRUE(RunUpdate(catalogue, Ticked(catalogue, {3}), reporter));
  EXPECT_EQ(reporter.Matching("row:3:").back(), "row:3:5");
  EXPECT_TRUE(Exists(card_ / "sys/system/version.txt"));
  EXPECT_TRUE(Exists(card_ / "update.log"));
  EXPECT_FALSE(catalogue.proItems[2].IsVersionInstalled("V1.10"));
}

// A package may carry read-only files. The staging folder must still be emptied after the
// row: whatever stayed there would be copied onto the next card that is updated.
TEST_F(UpdateRunTest, ReadOnlyStagedFilesDoNotReachTheNextCard) {
  Start();
  TempDir work("kest-ro-package");
  WriteFile(work / "CarDB/AUDI/V5.20/data.en", "audi");
  WriteFile(work / "CarDB/AUDI/V5.20/locked.bin", "read-only");
  fs::permissions(work / "CarDB/AUDI/V5.20/locked.bin", fs::perms::owner_read);
  Status made = demo::Pack7z(PackageOf("AUDI", "V5.20"), {work / "CarDB"});
  ASSERT_TRUE(made.ok()) << made.error().message;
  CKestProduct catalogue = Search();
  RecordingReporter first;
  RunUpdate(catalogue, Ticked(catalogue, {4}), first);
  ASSERT_EQ(first.Matching("row:4:").back(), "row:4:3");
  EXPECT_TRUE(Exists(card_ / "CarDB/AUDI/V5.20/locked.bin"));
  EXPECT_TRUE(TempLeftovers().empty());

  // Another scanner's card, and a car kind of its own.
  TempDir other("kest-other-card");
  ASSERT_TRUE(SetCardFolder(other.path()));
  RecordingReporter second;
  RunUpdate(catalogue, Ticked(catalogue, {5}), second);
  EXPECT_EQ(second.Matching("row:5:").back(), "row:5:3");
  EXPECT_FALSE(Exists(other / "CarDB/AUDI"));
}

// The scanner's menu configuration and custom files on the card are replaced only by copies
// that arrived whole: a transfer cut short, or a configuration that fails its check, must not
// overwrite the card's working copy with a fragment or an error page.
TEST_F(UpdateRunTest, FailedConfigurationAndCustomFileFetchesLeaveTheCardsCopies) {
  Start();
  const std::string good_config = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<menu old/>\n";
  WriteFile(card_ / "sys/en/config.xml", good_config);
  WriteFile(card_ / "sys/custom/dealer.ini", "[dealer]\nname=Old Motors\n");
  CKestProduct catalogue = Search();
  struct Case {
    const char* endpoint;
    const char* fault;  // set once the package has arrived
    const char* dealer;  // the card's custom file afterwards
  } cases[] = {
      // Both files cut off half way.
      {"files", "truncate", "[dealer]\nname=Old Motors\n"},
      // The configuration arrives whole but is none; the custom file arrives whole.
      {"getmenuconfig", "body:<menu/>", "[dealer]\nname=Example Motors\n"},
      // Both addresses answer with the server's error page (404) instead of the file: the
      // card keeps the copy the case before brought.
      {"files", "html404", "[dealer]\nname=Example Motors\n"},
  };
  for (const Case& c : cases) {
    RecordingReporter reporter;
    reporter.on_status = [&](int, RowStatus status) {
      if (status == RowStatus::kInstalling) server_->SetFault(c.endpoint, c.fault);
    };
    EXPECT_TRUE(RunUpdate(catalogue, Ticked(catalogue, {3}), reporter)) << c.fault;
    server_->ClearFaults();
    EXPECT_EQ(reporter.Matching("row:3:").back(), "row:3:5") << c.fault;
    EXPECT_EQ(ReadFile(card_ / "sys/en/config.xml"), good_config) << c.fault;
    EXPECT_EQ(ReadFile(card_ / "sys/custom/dealer.ini"), c.dealer) << c.fault;
    EXPECT_TRUE(Exists(card_ / "sys/system/version.txt")) << c.fault;
  }
}

TEST_F(UpdateRunTest, Stopping) {
  Start();
  Status made = demo::MakeCarKindPackage(PackageOf("AUDI", "V5.20"), "AUDI", "V5.20", "en", 1024,
                                         /*with_data_file=*/false);
  ASSERT_TRUE(made.ok());
  CKestProduct catalogue = Search();

  // A stop during a download lets that row finish, and no further row starts.
  RecordingReporter during_download;
  during_download.on_status = [](int row, RowStatus s) {
    if (row == 5 && s == RowStatus::kDownloading) RequestStop();
  };
  RunUpdate(catalogue, Ticked(catalogue, {5, 6}), during_download);
  EXPECT_EQ(during_download.Matching("row:5:").back(), "row:5:3");
  EXPECT_TRUE(during_download.Matching("row:6:").empty());
  EXPECT_EQ(during_download.Matching("closing:"), Events{"closing:updatetaskcomplete"});

  // A download that fails while stopping is "Download aborted."
  SetStopFlag(0);
  catalogue.cars[2].serverVersions[0].path = "packages/gone.7z";
  RecordingReporter aborted_download;
  aborted_download.on_status = [](int, RowStatus s) {
    if (s == RowStatus::kDownloading) SetStopFlag(1);
  };
  RunUpdate(catalogue, Ticked(catalogue, {6}), aborted_download);
  EXPECT_EQ(aborted_download.Matching("row:6:"), (Events{"row:6:1", "row:6:7"}));

  // A stop ends the retries of a failing package: "Installation aborted." after one try.
  SetStopFlag(0);
  server_->server().ClearRequests();
  RecordingReporter retries;
  retries.on_status = [](int, RowStatus s) {
    if (s == RowStatus::kInstalling) SetStopFlag(1);
  };
  RunUpdate(catalogue, Ticked(catalogue, {4}), retries);
  EXPECT_EQ(retries.Matching("row:4:").back(), "row:4:6");
  EXPECT_EQ(FileRequests("audi_V5.20_en.7z"), 1u);
}

TEST_F(UpdateRunTest, PauseAndResumeDuringADownload) {
  demo::DemoOptions options = SmallDemo();
  options.carKinds = 1;
  options.versionsPerKind = 1;
  options.productItems = false;
  options.dataBytes = 3 << 20;
  Start(options);
  server_->SetFault("files", "bandwidth:524288");  // six seconds for the package
  CKestProduct catalogue = Search();

  std::atomic<bool> paused_cleanly{false};
  std::atomic<bool> installing{false};
  std::thread front_end;
  RecordingReporter reporter;
  reporter.on_status = [&](int, RowStatus s) {
    if (s == RowStatus::kInstalling) installing = true;
    if (s != RowStatus::kDownloading) return;
    front_end = std::thread([&] {
      auto& server = server_->server();
      auto wait_for = [](auto condition) {
        for (int i = 0; i < 3000 && !condition(); ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return condition();
      };
      if (!wait_for([&] { return server.RequestCount("files") == 1; })) return;
      WorkGate().Close();  // the user presses "Stop" on the page
      // The transfer gives up its connection; the worker waits and reports nothing.
      bool gave_up = wait_for([&] { return server.BrokenTransfers() >= 1; });
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      paused_cleanly = gave_up && !installing;
      WorkGate().Open();  // "Continue"
    });
  };
  RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter);
  if (front_end.joinable()) front_end.join();

  EXPECT_TRUE(paused_cleanly);
  EXPECT_EQ(reporter.Matching("row:1:").back(), "row:1:3");
  std::vector<std::string> ranges;
  for (const auto& r : server_->server().Requests()) {
    if (r.endpoint == "files") ranges.push_back(r.range);
  }
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_TRUE(ranges[0].empty());
  EXPECT_EQ(ranges[1].rfind("bytes=", 0), 0u) << ranges[1];  // the rest, not the whole again
  std::string unpacked = catalogue_ / "check";
  ASSERT_EQ(RunIn(catalogue_.path(), {SevenZaPath(), "x", "-y", "-o" + unpacked,
                                      PackageOf("AUDI", "V5.10")}),
            0);
  EXPECT_EQ(ReadFile(card_ / "CarDB/AUDI/V5.10/data.en"),
            ReadFile(unpacked + "/CarDB/AUDI/V5.10/data.en"));
}

TEST_F(UpdateRunTest, ACardFolderOfTwoCharactersEndsAtOnceAndReleasesTheFrontEnd) {
  Start();
  CKestProduct catalogue = Search();
  ASSERT_TRUE(SetCardFolder("/"));
  server_->server().ClearRequests();
  RecordingReporter reporter;
  RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter);
  EXPECT_EQ(reporter.events,
            (Events{"closing:sdpathnotset", "done:6/6", "ended", "finished"}));
  EXPECT_TRUE(server_->server().Requests().empty());
}

TEST_F(UpdateRunTest, AnUnsafeCarKindPathFindsNothingAndFails) {
  Start();
  WriteFile(card_ / "ESCAPE/V5.20/data.en", "outside CarDB");
  CKestProduct catalogue = Search();
  catalogue.cars[0].path = "../ESCAPE";
  RecordingReporter reporter;
  EXPECT_TRUE(RunUpdate(catalogue, Ticked(catalogue, {4}), reporter));
  EXPECT_EQ(reporter.Matching("row:4:").back(), "row:4:5");
  EXPECT_EQ(FileRequests("audi_V5.20_en.7z"), 5u);
}

TEST_F(UpdateRunTest, RowsThatMatchNoRecordOrHaveNoCheckBoxAreSkipped) {
  Start();
  CKestProduct catalogue = Search();
  std::vector<GridRow> rows = Ticked(catalogue, {4, 5, 6});
  rows[3].versionText = "V9.99 | 2019-01-01";  // not among Audi's versions
  rows[4].hasCheckBox = false;
  rows[5].name = "CITROËN";                    // names match ignoring letter case
  RecordingReporter reporter;
  RunUpdate(catalogue, rows, reporter);
  EXPECT_EQ(reporter.Matching("row:").front(), "row:6:1");
  EXPECT_EQ(reporter.Matching("row:").back(), "row:6:3");
  EXPECT_EQ(reporter.Matching("closing:"), Events{"closing:updatetaskcomplete"});
}

}  // namespace
}  // namespace kest::test
