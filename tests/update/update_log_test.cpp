// The update log: ten bytes of date in the staging folder.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "update/update_log.h"

namespace kest::test {
namespace {

std::tm Date(int year, int month, int day) {
  std::tm date{};
  date.tm_year = year - 1900;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  return date;
}

TEST(UpdateLog, MonthDayYearPaddedWithSpaces) {
  EXPECT_EQ(UpdateLogText(Date(2027, 3, 1)), " 3/ 1/2027");
  EXPECT_EQ(UpdateLogText(Date(2026, 12, 9)), "12/ 9/2026");
  EXPECT_EQ(UpdateLogText(Date(2026, 11, 30)), "11/30/2026");
}

TEST(UpdateLog, WritesTodayIntoTheStagingFolderReplacingTheOldLog) {
  ScopedTmpDir tmp;
  std::string path = tmp.path() + "/KestSD/update.log";
  WriteUpdateLog();  // no staging folder: nothing is written, nothing fails
  EXPECT_FALSE(Exists(path));

  WriteFile(path, "an older and much longer log line\r\n");
  std::time_t now = std::time(nullptr);
  std::tm today{};
  ::localtime_r(&now, &today);
  WriteUpdateLog();
  std::string text = ReadFile(path);
  EXPECT_EQ(text.size(), 10u);
  // Around midnight the date may have moved on between the two readings.
  std::time_t after = std::time(nullptr);
  std::tm later{};
  ::localtime_r(&after, &later);
  EXPECT_TRUE(text == UpdateLogText(today) || text == UpdateLogText(later)) << text;
}

}  // namespace
}  // namespace kest::test
