// The update run on a real size-limited card (a tmpfs the test mounts): the pause for room,
// resuming and stopping it, and a copy that the card cannot take whole.

#include "tests/update/update_test_env.h"

#include <fstream>

#include "install/card_folder.h"
#include "platform/work_control.h"
#include "tests/support/sized_mount.h"

namespace kest::test {
namespace {

using Events = std::vector<std::string>;

class UpdateSpaceTest : public UpdateEngineTest {
 protected:
  // One car kind (Audi V5.10) whose package holds `data_bytes` of data.
  void StartOnCard(const std::string& card, uint64_t data_bytes) {
    demo::DemoOptions options = SmallDemo();
    options.carKinds = 1;
    options.versionsPerKind = 1;
    options.productItems = false;
    options.dataBytes = data_bytes;
    Start(options, card);
  }
  // Fills the card until `left` bytes are free.
  static void FillCard(const std::string& file, uint64_t left) {
    uint64_t free = GetCardFreeSpace();
    ASSERT_GT(free, left);
    std::ofstream out(file, std::ios::binary);
    std::string block(1 << 16, 'f');
    for (uint64_t n = free - left; n > 0;) {
      size_t chunk = static_cast<size_t>(std::min<uint64_t>(n, block.size()));
      out.write(block.data(), static_cast<std::streamsize>(chunk));
      n -= chunk;
    }
    out.close();
    ASSERT_TRUE(out.good());
  }
};

TEST_F(UpdateSpaceTest, PausesUntilTheCardHasRoomThenGoesOn) {
  SizedMount card(32 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  StartOnCard(card.path(), 4 << 20);
  FillCard(card.path() + "/filler", 12 << 20);  // less than 4 MiB + the 10 MiB margin
  CKestProduct catalogue = Search();

  bool copied_before_room = true;
  uint64_t pending = 0;
  RecordingReporter reporter;
  reporter.on_full = [&](int, uint64_t bytes) {
    pending = bytes;
    EXPECT_TRUE(WorkGate().IsClosed());
    copied_before_room = Exists(card.path() + "/CarDB");
    std::remove((card.path() + "/filler").c_str());  // the user deletes older versions
    WorkGate().Open();                                // and presses "Continue"
  };
  EXPECT_FALSE(RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter));
  EXPECT_EQ(reporter.Matching("full:"), Events{"full:1"});
  EXPECT_FALSE(copied_before_room);
  EXPECT_GE(pending, 4u << 20);
  EXPECT_LT(pending, 5u << 20);
  EXPECT_EQ(reporter.Matching("row:1:").back(), "row:1:3");
  EXPECT_EQ(ReadFile(card.path() + "/CarDB/AUDI/V5.10/data.en").size(), 4u << 20);
}

TEST_F(UpdateSpaceTest, StoppingInsteadOfMakingRoomAbortsTheRow) {
  SizedMount card(32 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  StartOnCard(card.path(), 4 << 20);
  FillCard(card.path() + "/filler", 12 << 20);
  CKestProduct catalogue = Search();
  RecordingReporter reporter;  // on_full: stop, as the window does when it closes
  EXPECT_TRUE(RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter));
  EXPECT_EQ(reporter.Matching("row:1:").back(), "row:1:6");
  EXPECT_EQ(FileRequests("audi_V5.10_en.7z"), 1u);
  EXPECT_FALSE(Exists(card.path() + "/CarDB"));
  EXPECT_EQ(reporter.Matching("closing:"), Events{"closing:pleaseretry"});
}

TEST_F(UpdateSpaceTest, ACopyCutShortIsAFailedAttemptEvenWhenTheCheckWouldPass) {
  SizedMount card(32 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  StartOnCard(card.path(), 1024);
  // Audi's package: its data file, and a large file that will not fit any more.
  TempDir src("kest-src");
  WriteFile(src / "CarDB/AUDI/V5.10/data.en", "data");
  WriteFile(src / "CarDB/AUDI/V5.10/big.bin", std::string(4 << 20, 'b'));
  ASSERT_TRUE(demo::Pack7z(PackageOf("AUDI", "V5.10"), {src / "CarDB"}).ok());
  CKestProduct catalogue = Search();

  int installing = 0;
  RecordingReporter reporter;
  reporter.on_status = [&](int, RowStatus s) {
    // The second "Installing" of the first attempt comes right before the copy: the card
    // fills up meanwhile.
    if (s == RowStatus::kInstalling && ++installing == 2) {
      FillCard(card.path() + "/filler", 1 << 20);
    }
  };
  reporter.on_full = [&](int, uint64_t) {
    std::remove((card.path() + "/filler").c_str());
    WorkGate().Open();
  };
  EXPECT_FALSE(RunUpdate(catalogue, RowsAfterSearch(catalogue), reporter));
  EXPECT_EQ(FileRequests("audi_V5.10_en.7z"), 2u);  // the cut copy was tried again
  EXPECT_EQ(reporter.Matching("full:"), Events{"full:1"});
  EXPECT_EQ(reporter.Matching("row:1:").back(), "row:1:3");
  EXPECT_EQ(ReadFile(card.path() + "/CarDB/AUDI/V5.10/big.bin").size(), 4u << 20);
}

}  // namespace
}  // namespace kest::test
