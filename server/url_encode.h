#pragma once
// The percent encoding of account data in the login and user-information requests.

#include <string>
#include <string_view>

namespace kest {

// Letters and digits stay; every other byte of the UTF-8 form becomes "%XX" (upper-case hex),
// including "-", ".", "_", "~", space, control characters and all bytes from 0x80 up. A text
// whose UTF-8 form is longer than kUrlEncodeLimit bytes encodes as the empty string, which the
// server then refuses with its own code. Malformed UTF-8 is sent as U+FFFD.
inline constexpr size_t kUrlEncodeLimit = 256;
std::string UrlEncodeUtf8(std::string_view text);

}  // namespace kest
