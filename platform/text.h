#pragma once
// Text helpers. All text in the program is Unicode held as UTF-8 in std::string; the system's
// 8-bit code page on Linux is UTF-8 too, so "ANSI" and "UTF-8" fields of server answers read
// the same way.

#include <string>
#include <string_view>
#include <vector>

namespace kest {

std::string Trim(std::string_view text);  // blanks, tabs, CR and LF at both ends
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
bool Contains(std::string_view text, std::string_view part);

// Lower case for the whole of Unicode's simple case mapping, locale-independent. Used wherever
// names are compared the way a FAT card compares them (ignoring letter case).
std::string ToLowerUnicode(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// Decodes UTF-8; malformed bytes become U+FFFD.
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf32ToUtf8(std::u32string_view text);
// UTF-16 code units, as the archive library exchanges them (surrogate pairs outside the BMP).
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
size_t Utf8Length(std::string_view utf8);  // in code points

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kest
