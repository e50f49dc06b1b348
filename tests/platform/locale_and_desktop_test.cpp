#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/desktop_folder.h"
#include "platform/system_language.h"
#include "tests/support/temp_dir.h"

namespace kest::platform {
namespace {

TEST(LanguageIdFromLocale, MapsLocaleNamesToWindowsIdentifiers) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"de_DE.UTF-8", 1031}, {"de_DE@euro", 1031}, {"de_DE", 1031},     {"de", 1031},
      {"de_AT.UTF-8", 3079}, {"de_BE.UTF-8", 1031},  // territory unknown: the language's own
      {"ja_JP.UTF-8", 1041}, {"ko_KR.UTF-8", 1042}, {"ru_RU.UTF-8", 1049}, {"ru_UA.UTF-8", 8217},
      {"zh_CN.UTF-8", 2052}, {"zh_CN.GB18030", 2052}, {"zh_TW.UTF-8", 1028}, {"zh", 2052},
      {"fr_FR.UTF-8", 1036}, {"fr_CA.UTF-8", 3084}, {"en_US.UTF-8", 1033}, {"en_GB.UTF-8", 2057},
      {"es_ES.UTF-8", 3082}, {"pt_BR.UTF-8", 1046}, {"pt_PT.UTF-8", 2070},
      {"DE-de", 1031},  // letter case and "-" as written by hand
      {"C", 1033},           {"POSIX", 1033},      {"C.UTF-8", 1033},   {"", 1033},
      {"xx_YY.UTF-8", 1033}, {"_DE", 1033},        {"@euro", 1033},
  };
  for (const auto& [locale, id] : cases) {
    EXPECT_EQ(LanguageIdFromLocale(locale), id) << '"' << locale << '"';
  }
}

TEST(SystemDefaultLanguageId, TakesLcAllThenLcMessagesThenLang) {
  struct Case {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    uint16_t id;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, 1033},
      {nullptr, nullptr, "ru_RU.UTF-8", 1049},
      {nullptr, "ja_JP.UTF-8", "ru_RU.UTF-8", 1041},
      {"de_DE.UTF-8", "ja_JP.UTF-8", "ru_RU.UTF-8", 1031},
      {"", "", "ko_KR.UTF-8", 1042},  // empty counts as unset
  };
  for (const Case& c : cases) {
    auto set = [](const char* name, const char* value) {
      value ? ::setenv(name, value, 1) : ::unsetenv(name);
    };
    set("LC_ALL", c.lc_all);
    set("LC_MESSAGES", c.lc_messages);
    set("LANG", c.lang);
    EXPECT_EQ(SystemDefaultLanguageId(), c.id);
  }
}

TEST(ParseDesktopDir, ReadsTheDesktopEntryOfUserDirs) {
  const std::string home = "/home/anna";
  struct Case {
    const char* what;
    std::string text;
    std::optional<std::string> desktop;
  };
  const Case cases[] = {
      {"as xdg-user-dirs-update writes it",
       "# This file is written by xdg-user-dirs-update\n"
       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n",
       "/home/anna/Schreibtisch"},
      {"absolute path with a blank", "XDG_DESKTOP_DIR=\"/data/Anna Desk/\"\n", "/data/Anna Desk"},
      {"escaped quote", "XDG_DESKTOP_DIR=\"$HOME/say \\\"hi\\\"\"\n", "/home/anna/say \"hi\""},
      {"the last assignment wins",
       "XDG_DESKTOP_DIR=\"$HOME/A\"\nXDG_DESKTOP_DIR=\"$HOME/B\"\n", "/home/anna/B"},
      {"CRLF line ends", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\n", "/home/anna/Desktop"},
      {"home itself", "XDG_DESKTOP_DIR=\"$HOME/\"\n", "/home/anna"},
      {"commented out", "# XDG_DESKTOP_DIR=\"$HOME/X\"\n", std::nullopt},
      {"relative path", "XDG_DESKTOP_DIR=\"Desktop\"\n", std::nullopt},
      {"unquoted", "XDG_DESKTOP_DIR=$HOME/Desktop\n", std::nullopt},
      {"unclosed quote", "XDG_DESKTOP_DIR=\"$HOME/Desk\n", std::nullopt},
      {"$HOMEX is no home", "XDG_DESKTOP_DIR=\"$HOMEX/d\"\n", std::nullopt},
      {"empty file", "", std::nullopt},
      {"binary garbage", std::string("\0\xff\nXDG_DESKTOP_DIR\n", 19), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDesktopDir(c.text, home), c.desktop) << c.what;
  }
}

TEST(DesktopFolder, ReadsUserDirsFromTheConfigFolderElseHomeDesktop) {
  test::TempDir home("kest-home");
  ::setenv("HOME", home.path().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DesktopFolder(), home.path() + "/Desktop");

  test::WriteFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
  EXPECT_EQ(DesktopFolder(), home.path() + "/Bureau");

  test::TempDir config("kest-config");
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  EXPECT_EQ(DesktopFolder(), home.path() + "/Desktop");  // that folder has no user-dirs.dirs
  test::WriteFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk\"\n");
  EXPECT_EQ(DesktopFolder(), "/srv/desk");
}

}  // namespace
}  // namespace kest::platform
