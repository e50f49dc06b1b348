#include "update/update_log.h"

#include <cstdio>

#include "platform/temp_files.h"

namespace kest {

std::string UpdateLogText(const std::tm& local_date) {
  char text[32];
  std::snprintf(text, sizeof text, "%2d/%2d/%4d", local_date.tm_mon + 1, local_date.tm_mday,
                local_date.tm_year + 1900);
  return text;
}

void WriteUpdateLog() {
  std::string path = platform::TempFolder() + "KestSD/update.log";
  std::time_t now = std::time(nullptr);
  std::tm local {};
  if (!::localtime_r(&now, &local)) return;
  std::string text = UpdateLogText(local);
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

}  // namespace kest
