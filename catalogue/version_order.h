#pragma once
// The order of version labels: "V10.2" is newer than "V10.15" because the labels are compared
// as decimal numbers, not as text.

#include <string_view>

namespace kest {

// The number a label stands for: one leading "v" or "V" dropped, the rest read the way the C
// library's decimal conversion reads it in the C locale (leading white space, sign, digits,
// fraction, exponent; reading stops at the first character that does not fit; no number at all
// reads as 0), then rounded to single precision. So "V1.0.3" reads 1.0, "VV3" reads 0, and
// V16777217 equals V16777216.
float VersionNumber(std::string_view label);

}  // namespace kest
