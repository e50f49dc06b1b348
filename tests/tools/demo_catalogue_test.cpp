// The demo catalogue generator: what it writes is a catalogue the server loads without a
// missing file, and its packages lay out what the update expects.

#include <gtest/gtest.h>

#include <filesystem>

#include "install/package_install.h"
#include "platform/work_control.h"
#include "resources/embedded_files.h"
#include "server/json_read.h"
#include "tests/support/temp_dir.h"
#include "tools/update-server/catalogue.h"
#include "tools/update-server/demo_catalogue.h"

namespace kest {
namespace {

TEST(DemoCatalogue, EveryNamedFileIsThereAndPackagesLayOutTheCard) {
  test::ScopedTmpDir tmp;
  ExtractEmbeddedFiles();
  test::TempDir folder("kest-demo");
  demo::DemoOptions options;  // 6 car kinds, 3 versions, English and German
  Status made = demo::MakeDemoCatalogue(folder.path(), options);
  ASSERT_TRUE(made.ok()) << made.error().message;

  update_server::Catalogue catalogue;
  std::string warnings = "not set";
  ASSERT_TRUE(catalogue.Load(folder.path(), &warnings).ok());
  EXPECT_EQ(warnings, "");
  Expected<Json::Value> root = json::ParseFile(folder / "catalogue.json");
  ASSERT_TRUE(root.ok());
  EXPECT_EQ(json::ReadArray(*root, "carKinds").size(), 12u);
  EXPECT_EQ(json::ReadArray(*root, "products").size(), 6u);

  // The nested car kind, in German; and the container package.
  test::TempDir out("kest-demo-out");
  ASSERT_EQ(Install7Z(folder / "packages/asia_honda_V9.20_de.7z", out.path()), 1);
  EXPECT_EQ(std::filesystem::file_size(out / "CarDB/ASIA/HONDA/V9.20/data.de"), 16u * 1024);
  ASSERT_EQ(Install7Z(folder / "packages/firmware_V3.00.pkg", out.path()), 1);
  EXPECT_TRUE(test::Exists(out / "sys/firmware/version.txt"));
  EXPECT_EQ(test::ReadFile(out / "firmware.txt"), "firmware V3.00\n");
  EXPECT_FALSE(test::Exists(out / "upbase.exe"));
}

TEST(DemoCatalogue, TheDemoCardHoldsOlderVersionsAndLeavesForeignFoldersAlone) {
  test::TempDir desktop("kest-desktop");
  demo::DemoOptions options;
  const std::string card = desktop / "KEST demo card";
  ASSERT_TRUE(demo::MakeDemoCard(card, options).ok());
  EXPECT_TRUE(test::Exists(card + "/CarDB/AUDI/V5.10/data.en"));
  EXPECT_TRUE(test::Exists(card + "/CarDB/BMW/V6.30/data.en"));
  EXPECT_TRUE(test::Exists(card + "/CarDB/CITROEN/V7.20/data.en"));
  test::WriteFile(card + "/CarDB/AUDI/V5.30/data.en", "installed by a demo run");
  ASSERT_TRUE(demo::MakeDemoCard(card, options).ok());  // made afresh
  EXPECT_FALSE(test::Exists(card + "/CarDB/AUDI/V5.30"));

  test::WriteFile(desktop / "mine/letter.txt", "keep");
  EXPECT_FALSE(demo::MakeDemoCard(desktop / "mine", options).ok());
  EXPECT_EQ(test::ReadFile(desktop / "mine/letter.txt"), "keep");
}

}  // namespace
}  // namespace kest
