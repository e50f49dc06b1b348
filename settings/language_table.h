#pragma once
// The interface string tables: every text the program shows is looked up by a short ASCII key
// in the table of the interface language, an XML file "Language/<code>.xml" in the program's
// folder. Each element child of the root is one entry: attribute "name" the key, the element's
// text the value. The English table is carried inside the program (EnXmlPath) as the fallback.

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

// What a look-up yields for a key the table lacks, or when no table is loaded.
inline constexpr const char* kLangNotFound = "KEST:NOT FOUND";

// The folder of the tables, with a trailing "/": the program folder + "Language/" unless
// SetLanguageFolder changed it (tests, tools).
std::string LanguageFolder();
void SetLanguageFolder(const std::string& folder);

// Interface language code of a system language identifier: 1031 "de", 1041 "jp", 1042 "kr",
// 1049 "ru", 2052 "cn", anything else "en".
std::string UiLanguageCodeFor(uint16_t languageId);

// Start-up: the code of the system default language, then LoadLanguageTable with it.
void SelectUiLanguage();

// Loads LanguageFolder() + code + ".xml" and makes it the table in use, with CurrentUiLanguage
// the code. When that file is missing, unreadable or not well-formed, loads EnXmlPath() instead
// with CurrentUiLanguage "en"; when that fails too, no table is in use. A file is taken whole or
// not at all. True when a table is in use afterwards.
bool LoadLanguageTable(const std::string& code);

// The value of the first entry named `key` (keys are case-sensitive), or kLangNotFound. Safe
// from any thread; a hash look-up.
std::string GetLangString(std::string_view key);

// The code of the table in use ("en" after a fallback); "en" before any load.
std::string CurrentUiLanguage();

}  // namespace kest
