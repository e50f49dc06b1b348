#include "server/url_encode.h"

#include "platform/text.h"

namespace kest {

std::string UrlEncodeUtf8(std::string_view text) {
  // Round trip through code points: the server only ever sees well-formed UTF-8.
  std::string utf8 = Utf32ToUtf8(Utf8ToUtf32(text));
  if (utf8.size() > kUrlEncodeLimit) return {};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size() * 3);
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                 (byte >= 'a' && byte <= 'z');
    if (plain) {
      out += c;
    } else {
      // Control characters are encoded too: sent raw, a line break in a password would end
      // the request line, and the client library refuses such a URL outright.
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

}  // namespace kest
