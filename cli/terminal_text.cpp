#include "cli/terminal_text.h"

#include "platform/text.h"

namespace kest::cli {

std::string HumanSize(uint64_t bytes) {
  if (bytes < 1024) return Format("%llu bytes", static_cast<unsigned long long>(bytes));
  const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return Format("%.1f %s", value, units[unit]);
}

std::string PadColumn(const std::string& text, size_t width) {
  size_t length = Utf8Length(text);
  return text + std::string(width > length ? width - length : 0, ' ');
}

}  // namespace kest::cli
