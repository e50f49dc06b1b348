// Deleting one version folder from a real card folder: what goes, what a plain delete leaves
// in place, links, letter case, and paths that would lead elsewhere.

#include "tests/versions/versions_test_env.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>

#include "install/card_folder.h"
#include "tests/support/sized_mount.h"
#include "versions/version_folder.h"

namespace kest::test {
namespace {

namespace fs = std::filesystem;

class VersionFolderTest : public VersionsTest {};

TEST_F(VersionFolderTest, RemovesEveryWritableEntryAndTheFolder) {
  const std::string version = card_ / "CarDB/AUDI/V5.10";
  WriteFile(version + "/data.en", "d");
  WriteFile(version + "/.hidden", "a dot-file is a file like any other");
  WriteFile(version + "/menu/deeper/list.txt", "m");
  fs::create_directories(version + "/empty");
  EXPECT_EQ(DeleteVersionFolder(version + "/"), 0);
  EXPECT_FALSE(Exists(version));
  EXPECT_TRUE(Exists(card_ / "CarDB/AUDI"));
}

TEST_F(VersionFolderTest, WhatAPlainDeleteLeavesStaysWithoutCountingAsFailure) {
  const std::string version = card_ / "CarDB/AUDI/V5.10";
  WriteFile(version + "/data.en", "d");
  WriteFile(version + "/locked.bin", "read-only: no archive bit");
  WriteFile(version + "/sub/locked.txt", "read-only too");
  WriteFile(version + "/sub/plain.txt", "p");
  WriteFile(version + "/.cache/inside.txt", "a dot-folder is not entered");
  ASSERT_EQ(::chmod((version + "/locked.bin").c_str(), 0444), 0);
  ASSERT_EQ(::chmod((version + "/sub/locked.txt").c_str(), 0444), 0);

  EXPECT_EQ(DeleteVersionFolder(version), 0);
  EXPECT_TRUE(Exists(version + "/locked.bin"));
  EXPECT_TRUE(Exists(version + "/sub/locked.txt"));
  EXPECT_TRUE(Exists(version + "/.cache/inside.txt"));
  EXPECT_FALSE(Exists(version + "/data.en"));
  EXPECT_FALSE(Exists(version + "/sub/plain.txt"));
}

TEST_F(VersionFolderTest, LinksAreRemovedNeverFollowed) {
  TempDir outside("kest-outside");
  WriteFile(outside / "keep/precious.txt", "x");
  const std::string version = card_ / "CarDB/AUDI/V5.10";
  WriteFile(version + "/data.en", "d");
  fs::create_directory_symlink(outside / "keep", version + "/to-folder");
  fs::create_symlink(outside / "keep/precious.txt", version + "/to-file");
  fs::create_symlink(outside / "missing", version + "/dangling");
  EXPECT_EQ(DeleteVersionFolder(version), 0);
  EXPECT_FALSE(Exists(version));

  // The version folder itself a link: the link goes, its target stays whole.
  const std::string linked = card_ / "CarDB/AUDI/V5.20";
  fs::create_directory_symlink(outside / "keep", linked);
  EXPECT_EQ(DeleteVersionFolder(linked), 0);
  EXPECT_FALSE(fs::is_symlink(linked));
  EXPECT_EQ(ReadFile(outside / "keep/precious.txt"), "x");
}

TEST_F(VersionFolderTest, SomethingThatIsNoFolderIsLeftAlone) {
  WriteFile(card_ / "CarDB/AUDI/V5.10", "a file where a version folder would be");
  EXPECT_EQ(DeleteVersionFolder(card_ / "CarDB/AUDI/V5.10"), 0);
  EXPECT_TRUE(Exists(card_ / "CarDB/AUDI/V5.10"));
  EXPECT_EQ(DeleteVersionFolder(card_ / "CarDB/AUDI/V9.99"), 0);
  EXPECT_EQ(DeleteVersionFolder(card_ / "no/such/folder"), 0);
}

TEST_F(VersionFolderTest, AFileThatCannotBeDeletedFailsTheFolder) {
  SizedMount card(1 << 20);
  if (!card.mounted()) GTEST_SKIP() << card.reason();
  WriteFile(card.path() + "/CarDB/AUDI/V5.10/data.en", "d");
  ASSERT_EQ(::mount(nullptr, card.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  ASSERT_TRUE(SetCardFolder(card.path()));
  EXPECT_EQ(DeleteCarVersion(Record("Audi", "AUDI"), "V5.10"), 1);
  EXPECT_TRUE(Exists(card.path() + "/CarDB/AUDI/V5.10/data.en"));
}

TEST_F(VersionFolderTest, TheCardNamesTheFolderInAnyLetterCase) {
  MakeVersion("cardb/asia/honda/v1.00");
  MakeVersion("cardb/asia/honda/v2.00");
  EXPECT_EQ(DeleteCarVersion(Record("Honda", "ASIA\\HONDA"), "V1.00"), 0);
  EXPECT_FALSE(Exists(card_ / "cardb/asia/honda/v1.00"));
  EXPECT_TRUE(Exists(card_ / "cardb/asia/honda/v2.00/data.en"));

  // Already gone, or never there: nothing to do, and that is success.
  EXPECT_EQ(DeleteCarVersion(Record("Honda", "ASIA/HONDA"), "V1.00"), 0);
  EXPECT_EQ(DeleteCarVersion(Record("Opel", "OPEL"), "V1.00"), 0);
  EXPECT_TRUE(Exists(card_ / "cardb/asia/honda/v2.00/data.en"));
}

TEST_F(VersionFolderTest, ARecordOrLabelThatLeadsElsewhereDeletesNothing) {
  TempDir outside("kest-outside");
  MakeVersion("CarDB/AUDI/V1");
  MakeVersion("CarDB/AUDI/V2");
  MakeVersion("victim/V1");
  WriteFile(outside / "V1/data.en", "data");
  CKestCar no_code = Record("Audi", "AUDI");
  no_code.languageCode.clear();
  struct Case {
    CKestCar record;
    std::string version;
  } cases[] = {
      {no_code, "V1"},
      {Record("", "AUDI"), "V1"},
      {Record("Audi", ""), "V1"},
      {Record("Audi", "AUDI"), ""},  // the kind's own folder, every version in it
      {Record("Audi", "AUDI"), "."},
      {Record("Audi", "AUDI"), ".."},
      {Record("Audi", "AUDI"), "V2/../V1"},
      {Record("Audi", "AUDI"), "..\\..\\victim\\V1"},
      {Record("Victim", "../victim"), "V1"},
      {Record("Victim", "AUDI/../../victim"), "V1"},
      {Record("Victim", outside.path()), "V1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeleteCarVersion(c.record, c.version), 1) << c.record.path << " " << c.version;
  }
  for (const char* kept :
       {"CarDB/AUDI/V1/data.en", "CarDB/AUDI/V2/data.en", "victim/V1/data.en"}) {
    EXPECT_TRUE(Exists(card_ / kept)) << kept;
  }
  EXPECT_TRUE(Exists(outside / "V1/data.en"));
}

TEST_F(VersionFolderTest, AVanishedCardIsAFailureNotAFinishedRow) {
  {
    TempDir gone("kest-card");
    ASSERT_TRUE(SetCardFolder(gone.path()));
  }
  EXPECT_EQ(DeleteCarVersion(Record("Audi", "AUDI"), "V1"), 1);
}

}  // namespace
}  // namespace kest::test
