#pragma once
// The system default language identifier, in the numbering of Windows language identifiers
// (1033 English (US), 1031 German (Germany), 2052 Chinese (PRC), ...), taken from the locale:
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty, as the C library
// chooses the language of messages.

#include <cstdint>
#include <string_view>

namespace kest::platform {

inline constexpr uint16_t kLanguageEnglishUs = 1033;

// "de_DE.UTF-8", "de_DE@euro", "de-DE", "de" → 1031. A language without a territory, or with a
// territory that the table lacks, gets the language's main identifier ("de_BE" → 1031). C, POSIX,
// empty and unknown languages give 1033.
uint16_t LanguageIdFromLocale(std::string_view locale);

// LanguageIdFromLocale of the environment's locale (read at every call).
uint16_t SystemDefaultLanguageId();

}  // namespace kest::platform
