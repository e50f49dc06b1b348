// The update search against the stand-in server with demo packages: what it reports, in
// which order, and what it does when a request fails.

#include "tests/update/update_test_env.h"

#include <filesystem>

#include "catalogue/kest_car.h"
#include "settings/option_file.h"
#include "update/update_search.h"

namespace kest::test {
namespace {

using Events = std::vector<std::string>;

class UpdateSearchTest : public UpdateEngineTest {};

TEST_F(UpdateSearchTest, ReportsRecordsProgressAndTheCardsVersions) {
  Start();
  std::filesystem::create_directories(card_ / "CarDB/AUDI/V5.10");
  std::filesystem::create_directories(card_ / "CarDB/BMW/V6.20");
  RecordingReporter reporter;
  EXPECT_EQ(UpdateSearch(reporter, SearchInputs{"1", "EN"}).Run(), SearchOutcome::kReady);
  EXPECT_EQ(reporter.events,
            (Events{"started", "grid-cleared", "progress:0", "text:Searching for update version",
                    "progress:5", "item:ecudata", "text:Processing:ecudata", "progress:6",
                    "item:firmware", "text:Processing:firmware", "progress:8", "item:system",
                    "text:Processing:system", "progress:11", "car:Audi", "text:Processing:Audi",
                    "car:BMW", "text:Processing:BMW", "car:Citroën", "text:Processing:Citroën",
                    "grid-filled", "text:Ready", "progress:100", "finished"}));

  const CKestProduct& found = reporter.catalogue;
  ASSERT_EQ(found.cars.size(), 3u);
  EXPECT_EQ(found.cars[0].languageCode, "EN");
  EXPECT_EQ(found.cars[0].localVersions.front().version, "V5.10");
  EXPECT_TRUE(found.cars[0].NeedsUpdate());
  EXPECT_FALSE(found.cars[1].NeedsUpdate());  // the newest is on the card
  EXPECT_TRUE(found.cars[2].NeedsUpdate());   // missing on the card
  EXPECT_EQ(lastProductInfoID.load(), 7);     // "system" came last

  std::vector<GridRow> rows = RowsAfterSearch(found);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].name, "ecudata");
  EXPECT_FALSE(rows[0].ticked);
  EXPECT_EQ(rows[3].versionText, "V5.20 | 2019-02-01");
}

TEST_F(UpdateSearchTest, FailedRequests) {
  Start();
  struct Case {
    const char* endpoint;
    const char* fault;
    SearchOutcome outcome;
    size_t items, cars;
  } cases[] = {
      {"getfile4member", "code:1", SearchOutcome::kReady, 0, 3},
      {"getfile4member", "notjson", SearchOutcome::kReady, 0, 3},
      {"listinfo", "code:4010", SearchOutcome::kWebAccessFailed, 3, 0},
      {"listinfo", "html404", SearchOutcome::kWebAccessFailed, 3, 0},
      {"*", "drop", SearchOutcome::kWebAccessFailed, 0, 0},
  };
  for (const Case& c : cases) {
    server_->SetFault(c.endpoint, c.fault);
    RecordingReporter reporter;
    EXPECT_EQ(UpdateSearch(reporter, SearchInputs{"1", "EN"}).Run(), c.outcome) << c.fault;
    EXPECT_EQ(reporter.catalogue.proItems.size(), c.items) << c.fault;
    EXPECT_EQ(reporter.catalogue.cars.size(), c.cars) << c.fault;
    if (c.outcome == SearchOutcome::kWebAccessFailed) {
      // The grid shows what arrived, and the page leaves its busy state at the very end.
      Events tail(reporter.events.end() - 5, reporter.events.end());
      EXPECT_EQ(tail, (Events{"grid-filled", "text:Web access failed", "finished", "ended",
                              "progress:100"}))
          << c.fault;
    }
    server_->ClearFaults();
  }
}

TEST_F(UpdateSearchTest, BaseUrlWithoutSchemeGetsHttp) {
  Start();
  OverrideServerUrl("127.0.0.1:" + std::to_string(server_->port()));
  RecordingReporter reporter;
  EXPECT_EQ(UpdateSearch(reporter, SearchInputs{"1", "EN"}).Run(), SearchOutcome::kReady);
  EXPECT_EQ(reporter.catalogue.cars.size(), 3u);
}

}  // namespace
}  // namespace kest::test
