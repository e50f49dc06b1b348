#include "catalogue/version_order.h"

#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace kest {
namespace {

// strtod_l with the C locale: a German user locale must not turn "10.15" into 10.
locale_t CLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

float VersionNumber(std::string_view label) {
  if (!label.empty() && (label.front() == 'v' || label.front() == 'V')) label.remove_prefix(1);
  std::string text(label);  // strtod needs a terminator
  double value = strtod_l(text.c_str(), nullptr, CLocale());
  // "Vnan" reads as NaN, which is neither newer nor older than anything: sorting with it
  // breaks the ordering the sort relies on (and can walk off the end of the list). It counts
  // as a label without a number.
  if (std::isnan(value)) return 0.0f;
  return static_cast<float>(value);
}

}  // namespace kest
