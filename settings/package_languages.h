#pragma once
// The package languages: the data languages that the update server offers for the current
// scanner, and the two language files an update writes onto the card.

#include <cstdint>
#include <string>
#include <vector>

#include "server/login_session.h"

namespace kest {

class CLanObject final {
 public:
  struct MyLan {
    std::string langID;    // what later requests send as the language
    std::string name;      // short code ("EN"), compared ignoring case with the UI language
    std::string langname;  // shown in the language boxes
    bool operator==(const MyLan&) const = default;
  };
};

// The process's server language list, in the order of the last answer; empty until the first
// successful fetch. Safe from any thread: readers get a copy.
std::vector<CLanObject::MyLan> ServerLanguages();
void SetServerLanguages(std::vector<CLanObject::MyLan> languages);

// Sends "/autodown/listlang?" for the session's token, currentSerial, listLanguage and memberID
// and refills ServerLanguages(). Without an answer the list stays as it was; once an answer has
// arrived it is emptied first, and filled only when "reader" is 0. Returns "reader", or -1 when
// no usable answer came (the window ignores the result; the `kest` command reports it).
int32_t FetchServerLanguages(const LoginSession& session);

// The English name of a package language code ("DE" → "German"); empty when not listed.
// Codes are compared exactly (upper case).
std::string PackageLanguageName(const std::string& code);

// Writes folder/"lang.dat" (the code) and folder/"lang" (its English name, empty when the code
// is not listed), both UTF-8 without a line end. False when the folder is no directory or a
// file cannot be written completely.
bool WriteCardLanguageFiles(const std::string& folder, const std::string& code);

}  // namespace kest
