// The version listing against the stand-in server and a real card folder: what it reports, in
// which order, and how it ends when the list does not arrive.

#include "tests/versions/versions_test_env.h"

#include "versions/version_list_thread.h"
#include "versions/version_rows.h"

namespace kest::test {
namespace {

using Events = std::vector<std::string>;

class VersionListTest : public VersionsTest {};

const ListingInputs kEnglish{"1", "EN"};

TEST_F(VersionListTest, HandsOverTheKindsWithOlderVersionsNewestFirst) {
  MakeVersion("CarDB/AUDI/V5.10");
  MakeVersion("CarDB/AUDI/v10.00");
  MakeVersion("CarDB/AUDI/V4.00");
  MakeVersion("CarDB/BMW/V6.20");          // one version: not listed
  MakeVersion("CarDB/asia/honda/V1.10");  // found in any letter case
  MakeVersion("CarDB/asia/honda/V1.00");
  MakeVersion("CarDB/asia/honda/.old");   // no version
  // CITROEN is not on the card.

  VersionRecorder reporter;
  EXPECT_EQ(VersionListThread(reporter, kEnglish).Run(), ListingOutcome::kListed);
  EXPECT_EQ(reporter.events,
            (Events{"started", "progress:0", "text:Searching for local versions", "progress:5",
                    "progress:18", "car:Audi", "text:Processing:Audi", "progress:18",
                    "car:Honda", "text:Processing:Honda", "progress:58", "grid-filled",
                    "text:Ready", "progress:100", "finished"}));

  ASSERT_EQ(reporter.cars.size(), 2u);
  EXPECT_EQ(reporter.cars[0].languageCode, "EN");
  VersionRowCells audi = CellsForRecord(reporter.cars[0]);
  EXPECT_TRUE(audi.ticked);
  EXPECT_EQ(audi.name, "Audi");
  EXPECT_EQ(audi.path, "AUDI");
  EXPECT_EQ(audi.versions, (std::vector<std::string>{"v10.00", "V5.10", "V4.00"}));
  EXPECT_EQ(audi.chosen, "V4.00");  // the oldest
  EXPECT_EQ(CellsForRecord(reporter.cars[1]).chosen, "V1.00");

  // The request carried the session's serial number and the chosen language.
  const auto requests = server_->server().Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests.back().target.find("sns=KS0100001&langId=1&region=2"), std::string::npos)
      << requests.back().target;
}

TEST_F(VersionListTest, OneVersionPerKindEndsWithTheNotFoundMessage) {
  MakeVersion("CarDB/AUDI/V5.10");
  MakeVersion("CarDB/BMW/V6.20");
  VersionRecorder reporter;
  EXPECT_EQ(VersionListThread(reporter, kEnglish).Run(), ListingOutcome::kNothingOlder);
  EXPECT_EQ(reporter.events,
            (Events{"started", "progress:0", "text:Searching for local versions", "progress:5",
                    "progress:18", "grid-filled", "text:Ready", "progress:100", "finished",
                    "message:There's just one and only version for each brand in this SD card"}));
  EXPECT_TRUE(reporter.cars.empty());
}

TEST_F(VersionListTest, AnEmptyListGoesFrom18To100) {
  MakeVersion("CarDB/AUDI/V5.10");
  MakeVersion("CarDB/AUDI/V5.20");
  VersionRecorder reporter;  // no car kinds in German
  EXPECT_EQ(VersionListThread(reporter, ListingInputs{"2", "DE"}).Run(),
            ListingOutcome::kNothingOlder);
  EXPECT_EQ(reporter.Matching("progress:"), (Events{"progress:0", "progress:5", "progress:18",
                                                    "progress:100"}));
  EXPECT_EQ(reporter.events.back(),
            "message:There's just one and only version for each brand in this SD card");
}

TEST_F(VersionListTest, EachKindOfMissingListEndsItsOwnWay) {
  MakeVersion("CarDB/AUDI/V5.10");
  MakeVersion("CarDB/AUDI/V5.20");
  const Events head{"started", "progress:0", "text:Searching for local versions", "progress:5"};
  struct Case {
    const char* fault;
    ListingOutcome outcome;
    Events tail;
  } cases[] = {
      {"notjson", ListingOutcome::kNotJson,
       {"grid-filled", "text:Web access failed", "finished", "ended", "progress:100"}},
      {"html404", ListingOutcome::kNotJson,
       {"grid-filled", "text:Web access failed", "finished", "ended", "progress:100"}},
      {"code:4010", ListingOutcome::kRefused, {"grid-filled", "finished", "progress:100"}},
      {"drop", ListingOutcome::kNoConnection, {"grid-filled", "finished", "progress:100"}},
  };
  for (const Case& c : cases) {
    server_->SetFault("listinfo", c.fault);
    VersionRecorder reporter;
    VersionListThread listing(reporter, kEnglish);
    EXPECT_EQ(listing.Run(), c.outcome) << c.fault;
    Events expected = head;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(reporter.events, expected) << c.fault;
    EXPECT_TRUE(reporter.cars.empty());
    if (c.outcome == ListingOutcome::kRefused) {
      EXPECT_EQ(listing.refusalCode(), 4010);
    }
    server_->ClearFaults();
  }

  // An answer file that arrived but cannot be opened: no server can cause that from outside.
  VersionRecorder reporter;
  auto unreadable = [](std::string_view) -> ServerOutcome {
    return NoAnswer{NoAnswerReason::AnswerUnreadable};
  };
  EXPECT_EQ(VersionListThread(reporter, kEnglish, unreadable).Run(),
            ListingOutcome::kAnswerUnreadable);
  Events expected = head;
  expected.insert(expected.end(), {"grid-filled", "text:Content error:2", "finished",
                                   "progress:100"});
  EXPECT_EQ(reporter.events, expected);
}

}  // namespace
}  // namespace kest::test
