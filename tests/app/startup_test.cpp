#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/embedded_files.h"
#include "settings/language_table.h"
#include "tests/selfupdate/child_process.h"
#include "tests/support/temp_dir.h"

namespace kest {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    SetLanguageFolder(languages_.path());
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(v);
  }
  test::TempDir runtime_{"kest-runtime"};
  test::TempDir languages_{"kest-language"};
  test::ScopedTmpDir tmp_;
};

TEST_F(StartUpTest, PreparesSessionFilesAndLanguage) {
  CKestHelperApp app;
  app.session.packageLanguage = "de";
  test::WriteFile(languages_ / "ru.xml",
                  "<resources><string name=\"EXEHAVESTART\">Программа уже запущена.</string>"
                  "</resources>");
  ::setenv("LANG", "ru_RU.UTF-8", 1);
  PrepareStartUp(app);
  EXPECT_EQ(app.session.packageLanguage, "en");
  EXPECT_EQ(EnXmlPath(), tmp_.path() + "/en.xml");
  EXPECT_EQ(SevenZipExePath(), tmp_.path() + "/7z");
  EXPECT_EQ(SevenZipDllPath(), tmp_.path() + "/7z.so");
  EXPECT_EQ(CurrentUiLanguage(), "ru");
  EXPECT_EQ(GetLangString("EXEHAVESTART"), "Программа уже запущена.");
}

TEST_F(StartUpTest, AMissingTableStillStartsInEnglish) {
  CKestHelperApp app;
  ::setenv("LANG", "de_DE.UTF-8", 1);
  PrepareStartUp(app);
  EXPECT_EQ(CurrentUiLanguage(), "en");
  EXPECT_EQ(GetLangString("EXEHAVESTART"), "The program has started.");
}

TEST_F(StartUpTest, ASecondInstanceIsTurnedAwayUntilTheFirstEnds) {
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(), SingleInstanceGuard::Outcome::Running);
  EXPECT_TRUE(first.Held());

  // Another process (the flock tool, following the same protocol) sees the mutex taken.
  test::ChildProcess probe(
      {"/usr/bin/flock", "-n", platform::NamedMutexPath(kMainInstanceMutex), "true"});
  EXPECT_EQ(probe.WaitForExit(60), 1);

  SingleInstanceGuard second;
  EXPECT_EQ(second.Acquire(), SingleInstanceGuard::Outcome::AnotherInstance);
  EXPECT_FALSE(second.Held());
  first.Release();
  EXPECT_EQ(second.Acquire(), SingleInstanceGuard::Outcome::Running);
}

TEST_F(StartUpTest, AGuardThatCannotBeMadeDoesNotStopTheProgram) {
  ::setenv("XDG_RUNTIME_DIR", (runtime_ / "missing").c_str(), 1);
  SingleInstanceGuard guard;
  EXPECT_EQ(guard.Acquire(), SingleInstanceGuard::Outcome::Unguarded);
}

}  // namespace
}  // namespace kest
