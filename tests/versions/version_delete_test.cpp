// The version deletion on a real card folder: the states it reports per ticked row, when it
// reads the grid, and where a stop ends it.

#include "tests/versions/versions_test_env.h"

#include <sys/stat.h>

#include "platform/work_control.h"
#include "versions/version_delete_thread.h"
#include "versions/version_list_thread.h"
#include "versions/version_rows.h"

namespace kest::test {
namespace {

using Events = std::vector<std::string>;

class VersionDeleteTest : public VersionsTest {};

TEST_F(VersionDeleteTest, TickedRowsGetTheirStatesAndTheGridIsReadAsTheRowsAreReached) {
  MakeVersion("CarDB/AUDI/V4.00");
  WriteFile(card_ / "CarDB/AUDI/V4.00/locked.bin", "read-only");
  ASSERT_EQ(::chmod((card_ / "CarDB/AUDI/V4.00/locked.bin").c_str(), 0444), 0);
  MakeVersion("CarDB/AUDI/V5.10");
  MakeVersion("CarDB/BMW/V1");
  MakeVersion("CarDB/BMW/V2");
  MakeVersion("CarDB/ASIA/HONDA/V1.10");
  MakeVersion("CarDB/ASIA/HONDA/V1.20");
  MakeVersion("CarDB/CITROEN/V7.10");
  MakeVersion("CarDB/CITROEN/V7.20");
  CKestCar citroen = Record("Citroën", "CITROEN");
  citroen.languageCode.clear();  // a record without its language code is refused

  ListedVersionRows rows({{true, "V4.00"}, {false, "V1"}, {true, "V1.10"}, {true, "V7.10"}});
  VersionRecorder reporter;
  VersionDeleteThread deletion(
      {Record("Audi", "AUDI"), Record("BMW", "BMW"), Record("Honda", "ASIA/HONDA"), citroen},
      rows, reporter);
  rows.rows()[1].ticked = true;  // too late: the ticks were taken when the deletion started
  reporter.on_state = [&](int row, DeleteState state) {
    // In time: the drop-down list is read when the deletion reaches the row. V1.00 is not on
    // the card, which is no failure.
    if (row == 1 && state == DeleteState::kDeleting) rows.rows()[2].version = "V1.00";
  };
  deletion.Run();

  EXPECT_EQ(reporter.events,
            (Events{"row:1:1", "row:1:2", "done:0/4", "row:3:1", "row:3:2", "done:2/4",
                    "row:4:1", "row:4:3", "done:3/4", "text:Finished", "done:4/4", "ended",
                    "finished"}));
  EXPECT_TRUE(deletion.AnyRowFailed());
  // The read-only file stays and keeps its folder; the row still counts as finished.
  EXPECT_TRUE(Exists(card_ / "CarDB/AUDI/V4.00/locked.bin"));
  EXPECT_FALSE(Exists(card_ / "CarDB/AUDI/V4.00/data.en"));
  for (const char* kept : {"AUDI/V5.10", "BMW/V1", "BMW/V2", "ASIA/HONDA/V1.10",
                           "ASIA/HONDA/V1.20", "CITROEN/V7.10"}) {
    EXPECT_TRUE(Exists(card_ / ("CarDB/" + std::string(kept) + "/data.en"))) << kept;
  }
}

TEST_F(VersionDeleteTest, AStopEndsTheDeletionBeforeTheNextRow) {
  MakeVersion("CarDB/AUDI/V4.00");
  MakeVersion("CarDB/BMW/V1");
  MakeVersion("CarDB/ASIA/HONDA/V1.10");
  ListedVersionRows rows({{true, "V4.00"}, {true, "V1"}, {true, "V1.10"}});
  VersionRecorder reporter;
  reporter.on_state = [](int row, DeleteState state) {
    if (row == 1 && state == DeleteState::kDeleting) RequestStop();  // the user presses "Stop"
  };
  VersionDeleteThread deletion(
      {Record("Audi", "AUDI"), Record("BMW", "BMW"), Record("Honda", "ASIA/HONDA")}, rows,
      reporter);
  deletion.Run();

  // The row under way finishes; the status line still ends on "Finished".
  EXPECT_EQ(reporter.events, (Events{"row:1:1", "row:1:2", "done:0/3", "text:Finished",
                                     "done:3/3", "ended", "finished"}));
  EXPECT_FALSE(Exists(card_ / "CarDB/AUDI/V4.00"));
  EXPECT_TRUE(Exists(card_ / "CarDB/BMW/V1/data.en"));
  EXPECT_TRUE(Exists(card_ / "CarDB/ASIA/HONDA/V1.10/data.en"));
}

TEST_F(VersionDeleteTest, DeletingThePresetVersionsLeavesOneVersionPerKind) {
  for (const char* v : {"V4.00", "V5.10", "V10.00"}) MakeVersion(std::string("CarDB/AUDI/") + v);
  for (const char* v : {"V1.10", "V1.20"}) MakeVersion(std::string("CarDB/asia/honda/") + v);

  // As the page does: list, show one row per record with the oldest version chosen, delete
  // the chosen versions, and list again.
  VersionRecorder listed;
  ASSERT_EQ(VersionListThread(listed, ListingInputs{"1", "EN"}).Run(), ListingOutcome::kListed);
  std::vector<ListedVersionRow> cells;
  for (const CKestCar& car : listed.cars) {
    VersionRowCells row = CellsForRecord(car);
    cells.push_back({row.ticked, row.chosen});
  }
  ListedVersionRows rows(cells);
  VersionRecorder first;
  VersionDeleteThread(listed.cars, rows, first).Run();
  EXPECT_EQ(first.Matching("row:"), (Events{"row:1:1", "row:1:2", "row:2:1", "row:2:2"}));
  EXPECT_FALSE(Exists(card_ / "CarDB/AUDI/V4.00"));
  EXPECT_FALSE(Exists(card_ / "CarDB/asia/honda/V1.10"));

  VersionRecorder again;
  EXPECT_EQ(VersionListThread(again, ListingInputs{"1", "EN"}).Run(), ListingOutcome::kListed);
  ASSERT_EQ(again.cars.size(), 1u);
  EXPECT_EQ(CellsForRecord(again.cars[0]).versions,
            (std::vector<std::string>{"V10.00", "V5.10"}));
  EXPECT_EQ(CellsForRecord(again.cars[0]).chosen, "V5.10");
}

}  // namespace
}  // namespace kest::test
