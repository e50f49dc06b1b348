// The card on real folders: the local version scan, the installed-version check and the
// case-blind look-ups, unsafe server paths, and the rules for choosing a root.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/kest_helper_app.h"
#include "catalogue/card_layout.h"
#include "catalogue/card_path.h"
#include "catalogue/kest_car.h"
#include "install/card_folder.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

class CardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetCardFolder(card_.path()));
    TheApp().session.packageLanguage = "EN";
  }
  // A version folder with the data files of the given languages.
  void Install(const std::string& relative, std::vector<std::string> data_files) {
    std::filesystem::create_directories(card_ / relative);
    for (const std::string& f : data_files) test::WriteFile(card_ / (relative + "/" + f), "x");
  }
  static CKestCar Car(const std::string& path) {
    CKestCar car;
    car.path = path;
    return car;
  }
  static std::vector<std::string> Local(const std::string& path) {
    CKestCar car = Car(path);
    ScanLocalVersions(car);
    std::vector<std::string> labels;
    for (const CKestVer& v : car.localVersions) labels.push_back(v.version);
    return labels;
  }

  test::TempDir card_{"kest-card"};
};

TEST_F(CardTest, ScanListsVersionFoldersNewestFirst) {
  Install("CarDB/AUDI/V9.9", {});
  Install("CarDB/AUDI/v10.0", {});
  Install("CarDB/AUDI/.old", {});
  test::WriteFile(card_ / "CarDB/AUDI/V11.0", "a file, not a version");
  EXPECT_EQ(Local("AUDI"), (std::vector<std::string>{"v10.0", "V9.9"}));
  EXPECT_TRUE(Local("BMW").empty());  // no folder: listed without local versions

  CKestCar missing = Car("BMW");
  EXPECT_FALSE(ScanLocalVersions(missing));
}

TEST_F(CardTest, LookUpsIgnoreLetterCaseAsTheCardsFileSystemDoes) {
  Install("cardb/Audi/v10.15", {"data.en"});
  Install("cardb/Audi/V10.20", {"data.DE"});
  Install("cardb/ÄRA/V1", {"DATA.EN"});
  CKestCar car = Car("AUDI");
  EXPECT_EQ(Local("AUDI"), (std::vector<std::string>{"V10.20", "v10.15"}));
  EXPECT_TRUE(IsVersionOnCard(car, "V10.15"));
  EXPECT_FALSE(IsVersionOnCard(car, "V10.20"));  // only another language's data
  EXPECT_FALSE(IsVersionOnCard(car, "V10.1"));
  EXPECT_TRUE(IsVersionOnCard(Car("ära"), "v1"));  // beyond ASCII too

  // IsVersionInstalled also needs the label among the server's versions, exactly.
  car.serverVersions.emplace_back("V10.15");
  EXPECT_TRUE(car.IsVersionInstalled("V10.15"));
  EXPECT_FALSE(car.IsVersionInstalled("v10.15"));

  // The exact spelling wins where a case-sensitive disk holds both.
  Install("cardb/AUDI/V3", {});
  EXPECT_EQ(FindVersionFolder(card_.path(), "Audi", "v10.15"), card_ / "cardb/Audi/v10.15");
  EXPECT_EQ(FindVersionFolder(card_.path(), "AUDI", "v3"), card_ / "cardb/AUDI/V3");
}

TEST_F(CardTest, AListingScopeAnswersAsTheFoldersDo) {
  Install("cardb/Audi/v10.15", {"data.en"});
  CardListingScope outer;
  {
    CardListingScope inner;  // shares the outer's listings and leaves them to it
    EXPECT_TRUE(IsVersionOnCard(Car("AUDI"), "V10.15"));
  }
  EXPECT_EQ(Local("AUDI"), std::vector<std::string>{"v10.15"});
  EXPECT_FALSE(IsVersionOnCard(Car("BMW"), "V1"));
  EXPECT_FALSE(IsVersionOnCard(Car("audi"), "V10.16"));
}

TEST_F(CardTest, ServerPathsMakeNestedFoldersButNeverLeaveTheCard) {
  Install("CarDB/ASIA/HONDA/V2", {"data.en"});
  EXPECT_EQ(Local("ASIA/HONDA"), std::vector<std::string>{"V2"});
  EXPECT_EQ(Local("asia\\honda"), std::vector<std::string>{"V2"});
  EXPECT_EQ(Local("ASIA//./HONDA/"), std::vector<std::string>{"V2"});

  // Folders that an unsafe path would reach all exist; none of them is ever read.
  Install("CarDB/V1", {"data.en"});
  Install("escape/V1", {"data.en"});
  for (const char* path : {"../escape", "ASIA/../../escape", "/tmp", "\\CarDB", "", "..", "."}) {
    EXPECT_TRUE(Local(path).empty()) << path;
    EXPECT_FALSE(IsVersionOnCard(Car(path), "V1")) << path;
  }
  EXPECT_FALSE(IsVersionOnCard(Car("ASIA/HONDA"), "../HONDA/V2"));
  EXPECT_FALSE(IsVersionOnCard(Car("ASIA"), "HONDA/V2"));
  TheApp().session.packageLanguage = "en/../../data.en";
  EXPECT_FALSE(IsVersionOnCard(Car("ASIA/HONDA"), "V2"));
}

TEST_F(CardTest, RootWithOrWithoutTrailingSlashAddressesTheSameCarDB) {
  Install("CarDB/AUDI/V1", {"data.en"});
  ASSERT_TRUE(SetCardFolder(card_.path() + "/"));
  EXPECT_EQ(Local("AUDI"), std::vector<std::string>{"V1"});
  EXPECT_TRUE(IsVersionOnCard(Car("AUDI"), "V1"));
}

TEST_F(CardTest, AligningAStagedTreeTakesTheCardsSpelling) {
  Install("card/CarDB/audi/V1", {"DATA.EN"});
  test::WriteFile(card_ / "staged/CARDB/AUDI/V1/data.en", "new");
  test::WriteFile(card_ / "staged/CARDB/AUDI/V2/data.en", "new");
  test::WriteFile(card_ / "staged/CARDB/BMW/V1/data.en", "new");
  test::WriteFile(card_ / "staged/CarDB", "a file takes the name: CARDB stays as it is");
  AlignNamesToCard(card_ / "staged", card_ / "card");
  EXPECT_TRUE(test::Exists(card_ / "staged/CARDB/audi/V1/DATA.EN"));  // below it, aligned

  std::filesystem::remove(card_ / "staged/CarDB");
  AlignNamesToCard(card_ / "staged", card_ / "card");
  EXPECT_TRUE(test::Exists(card_ / "staged/CarDB/audi/V1/DATA.EN"));
  EXPECT_TRUE(test::Exists(card_ / "staged/CarDB/audi/V2/data.en"));  // new: kept as packed
  EXPECT_TRUE(test::Exists(card_ / "staged/CarDB/BMW/V1/data.en"));
}

TEST(CardSpace, BoundariesOfTheSpaceRules) {
  EXPECT_TRUE(CardHasMinimumSpace(536870912));
  EXPECT_FALSE(CardHasMinimumSpace(536870911));
  EXPECT_FALSE(CardHasMinimumSpace(0));  // a failed query
  const uint64_t staged = 595ull << 20;
  EXPECT_TRUE(RoomToInstall(staged + 10485760, staged));  // exactly enough: no pause
  EXPECT_FALSE(RoomToInstall(staged + 10485759, staged));
  EXPECT_FALSE(RoomToResume(staged + 10485760, staged));  // resuming needs strictly more
  EXPECT_TRUE(RoomToResume(staged + 10485761, staged));
}

TEST(CardRoot, InsideTheDesktopFolderOnly) {
  test::TempDir home("kest-home");
  test::TempDir config("kest-config");
  test::WriteFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  const std::string desktop = home / "Schreibtisch";
  for (DriveTest test : {DriveTest::kWholeText, DriveTest::kDrivePart}) {
    EXPECT_TRUE(CardRootAcceptable(desktop + "/card", test));
    EXPECT_TRUE(CardRootAcceptable(desktop + "/", test));
    EXPECT_FALSE(CardRootAcceptable(desktop, test));  // the test wants the "/" after it
    EXPECT_FALSE(CardRootAcceptable(home / "card", test));
    EXPECT_FALSE(CardRootAcceptable(home / "schreibtisch/card", test));  // case-sensitive
  }
  ::unsetenv("HOME");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kest
