// Downloading a version against the stand-in server: the address request, the "http://" rule
// and the failures.

#include <gtest/gtest.h>

#include "catalogue/download_url.h"
#include "catalogue/kest_car.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest {
namespace {

class DownloadTest : public ::testing::Test {
 protected:
  struct Example {
    Example() { test::CopyExampleCatalogue(dir.path()); }
    test::TempDir dir;
  };
  static CKestVer Version(const std::string& path) {
    CKestVer v("V10.20");
    v.path = path;
    return v;
  }

  test::ScopedTmpDir tmp_;
  Example example_;
  test::UpdateServerFixture server_{example_.dir.path()};
  test::TempDir out_{"kest-download"};
};

TEST_F(DownloadTest, FetchesThePackageTheServerNames) {
  const std::string package = "packages/audi_V10.20_en.7z";
  test::WriteFile(out_ / "pkg", "a leftover that must go");
  CKestVer version = Version(package);
  ASSERT_TRUE(version.DownloadTo(out_ / "pkg"));
  EXPECT_EQ(version.downloadUrl, server_.url() + "/files/" + package);
  EXPECT_EQ(test::ReadFile(out_ / "pkg"), test::ReadFile(example_.dir / package));
  EXPECT_EQ(server_.server().Requests().front().target,
            "/autodown/getdownloadurl?path=" + package + "&region=2");
}

TEST_F(DownloadTest, AnAddressWithoutSchemeGetsHttp) {
  std::string address = server_.url().substr(7) + "/files/packages/bmw_V5.00_en.7z";
  server_.SetFault("getdownloadurl", "body:{\"code\": 0, \"data\": \"" + address + "\"}");
  CKestVer version = Version("whatever");
  ASSERT_TRUE(version.DownloadTo(out_ / "pkg"));
  EXPECT_EQ(version.downloadUrl, address);  // kept as the server gave it
  EXPECT_EQ(test::ReadFile(out_ / "pkg"),
            test::ReadFile(example_.dir / "packages/bmw_V5.00_en.7z"));
}

TEST_F(DownloadTest, NoAddressNoDownload) {
  struct Case {
    const char* fault;  // on getdownloadurl; empty: an unknown path (code 4040)
  } cases[] = {{""}, {"code:1"}, {"html404"}, {"body:{\"code\": 0, \"data\": \"\"}"},
               {"body:{\"code\": 0, \"data\": 5}"}};
  for (const Case& c : cases) {
    if (*c.fault) server_.SetFault("getdownloadurl", c.fault);
    CKestVer version = Version("packages/none.7z");
    EXPECT_FALSE(version.DownloadTo(out_ / "pkg")) << c.fault;
    EXPECT_EQ(GetDownloadUrl("packages/none.7z", 2), "") << c.fault;
    server_.ClearFaults();
  }
  EXPECT_EQ(server_.server().RequestCount("files"), 0u);

  // A car kind downloads its newest version for an empty label, else the one named.
  CKestCar car;
  car.serverVersions = {Version("packages/audi_V10.20_en.7z"),
                        Version("packages/audi_V10.15_en.7z")};
  car.serverVersions[1].version = "V10.15";
  ASSERT_TRUE(car.DownloadVersion("", out_ / "newest"));
  ASSERT_TRUE(car.DownloadVersion("V10.15", out_ / "older"));
  EXPECT_EQ(test::ReadFile(out_ / "newest"),
            test::ReadFile(example_.dir / "packages/audi_V10.20_en.7z"));
  EXPECT_EQ(test::ReadFile(out_ / "older"),
            test::ReadFile(example_.dir / "packages/audi_V10.15_en.7z"));
}

}  // namespace
}  // namespace kest
