// The catalogue records: the version order, sorting, the pre-tick rule and the version list
// operations, built from JSON as the server sends it.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include <json/value.h>

#include "catalogue/kest_car.h"
#include "catalogue/kest_pro_item.h"
#include "catalogue/version_order.h"
#include "platform/process.h"
#include "server/json_read.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

Json::Value Parse(const std::string& text) {
  Expected<Json::Value> value = json::ParseText(text);
  EXPECT_TRUE(value.ok()) << text;
  return value.ok() ? *value : Json::Value();
}

std::vector<std::string> Labels(const VersionList& versions) {
  std::vector<std::string> labels;
  for (const CKestVer& v : versions) labels.push_back(v.version);
  return labels;
}

TEST(VersionOrder, ReadsLabelsAsSinglePrecisionNumbers) {
  struct Case {
    const char* newer;
    const char* older;
    bool is_newer;
  } cases[] = {
      {"V10.2", "V10.15", true},          // 10.2 > 10.15: numbers, not text
      {"V1.0.5", "V1.0.3", false},        // both read 1.0
      {"v2.00", "V2", false},             // one prefix letter, either case
      {"V2", "2", false},
      {"V3", "VV3", true},                // a second "V" ends the number: 0
      {"V16777217", "V16777216", false},  // equal at single precision
      {"V1", "Vnan", true},               // NaN counts as no number, so the order holds
      {"V 7", "V6.9", true},              // leading blanks are skipped
      {"V1e1", "V9", true},               // an exponent is read
      {"V-1", "", false},                 // a sign is read; no number reads 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CKestVer(c.newer).IsNewerThan(CKestVer(c.older)), c.is_newer)
        << c.newer << " vs " << c.older;
  }
  EXPECT_EQ(VersionNumber("V10.15"), 10.15f);
  EXPECT_EQ(VersionNumber("abc"), 0.0f);
}

// A German desktop reads "10,15" as a number and stops at "." in "10.15": the version order
// must not depend on the user's locale. Machines without a compiled German locale get one
// compiled for this test from the locale sources.
TEST(VersionOrder, ADecimalCommaLocaleDoesNotChangeTheReading) {
  test::TempDir locales("kest-locale");
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!german) {
    Expected<int> made = platform::RunAndWait(
        {"localedef", "-i", "de_DE", "-f", "UTF-8", locales / "de_DE.UTF-8"}, {.quiet = true});
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  }
  if (!german) GTEST_SKIP() << "no de_DE.UTF-8 locale, and localedef could not make one";
  ASSERT_EQ(std::strtod("10,5", nullptr), 10.5);  // the locale really is in force
  EXPECT_EQ(VersionNumber("V10.15"), 10.15f);
  std::setlocale(LC_ALL, "C");
}

TEST(Records, CarKindFromJsonSortsNewestFirstAndToleratesBadContent) {
  CKestCar car("EN", Parse(R"({"carKindName": "Citroën", "path": "CITROEN", "carKindFiles": [
      {"version": "V9.9", "path": "p/1", "publishTime": "2019-01-01"},
      {"version": "V10.10", "path": "p/2"},
      {"version": "V10.2", "path": "p/3", "publishTime": "2019-03-01"},
      42, {"version": 7}]})"));
  EXPECT_EQ(car.carKindName, "Citroën");
  EXPECT_EQ(car.languageCode, "EN");
  // The two malformed elements become versions with empty labels, which read as 0.
  EXPECT_EQ(Labels(car.serverVersions),
            (std::vector<std::string>{"V10.2", "V10.10", "V9.9", "", ""}));
  EXPECT_TRUE(car.localVersions.empty());  // no card folder set

  for (const char* bad : {"[]", "\"text\"", "{\"carKindFiles\": {\"a\": 1}}", "null"}) {
    CKestCar odd("EN", Parse(bad));
    EXPECT_TRUE(odd.serverVersions.empty()) << bad;
    EXPECT_FALSE(odd.NeedsUpdate()) << bad;
  }
}

TEST(Records, ProductItemStoresTheLastProductInfoId) {
  lastProductInfoID = 0;
  CKestProItem first(Parse(R"({"name": "system", "productInfoID": 7, "vers": []})"));
  CKestProItem second(Parse(R"({"name": "ecudata", "productInfoID": 8})"));
  EXPECT_EQ(first.productInfoID, 7);
  EXPECT_EQ(lastProductInfoID.load(), 8);
  CKestProItem missing(Parse(R"({"name": "x", "productInfoID": "9"})"));  // text, not a number
  EXPECT_EQ(missing.productInfoID, 0);
  EXPECT_EQ(lastProductInfoID.load(), 0);
  EXPECT_TRUE(missing.pathText.empty());
}

TEST(Records, PreTickRule) {
  auto car = [](std::vector<const char*> server, std::vector<const char*> local) {
    CKestCar c;
    for (const char* v : server) c.serverVersions.emplace_back(v);
    for (const char* v : local) c.localVersions.emplace_back(v);
    return c.NeedsUpdate();
  };
  EXPECT_FALSE(car({}, {}));                  // nothing offered, even with an empty card
  EXPECT_TRUE(car({"V1.0"}, {}));             // nothing on the card
  EXPECT_TRUE(car({"V10.2"}, {"V10.15"}));
  EXPECT_FALSE(car({"V1.0.5"}, {"V1.0.3"}));  // equal numbers
  EXPECT_FALSE(car({"V2"}, {"V3"}));

  CKestProItem item;
  item.serverVersions.emplace_back("V1");
  item.name = "ecudata";
  EXPECT_FALSE(item.NeedsUpdate());
  item.name = "ECUdata";  // only the exact name is exempt
  EXPECT_TRUE(item.NeedsUpdate());
  item.serverVersions.clear();
  EXPECT_FALSE(item.NeedsUpdate());
}

TEST(Records, VersionListOperations) {
  CKestProItem item(Parse(R"({"name": "system", "vers": [
      {"version": "V1.0", "path": "a"}, {"version": "V1.10", "publishTime": "2019-03-05"},
      {"version": "V1.0", "path": "b"}]})"));
  std::vector<std::string> texts = {"stale"};
  item.ListVersionTexts(texts);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "V1.10 | 2019-03-05");
  EXPECT_EQ(texts[1], "V1.0 | ");  // the trailing blank stays

  EXPECT_FALSE(item.IsVersionInstalled("V1.10"));
  item.MarkVersion("v1.10", 1);  // labels match exactly: no effect
  EXPECT_FALSE(item.IsVersionInstalled("V1.10"));
  item.MarkVersion("V1.10", 1);
  EXPECT_TRUE(item.IsVersionInstalled("V1.10"));
  item.MarkVersion("V1.0", 1);  // the first of two equal labels
  EXPECT_EQ(item.serverVersions[1].installedMark + item.serverVersions[2].installedMark, 1);
  item.MarkVersion("V9", 1);  // none matches: nothing happens

  // Nothing offered, or a label that matches nothing: no request at all.
  CKestProItem empty;
  EXPECT_FALSE(empty.DownloadVersion("", "/nonexistent/x"));
  EXPECT_FALSE(item.DownloadVersion("V7", "/nonexistent/x"));
}

}  // namespace
}  // namespace kest
