#pragma once
// What the commands that work on a card (search, update, versions, delete) do before their own
// job: the files and the English table that start-up writes and loads, the card folder, the
// login, the scanner and the package language.

#include <string>

#include "cli/cli_options.h"

namespace kest::cli {

// The package language a card command works in, among those the server offers.
struct PackageLanguage {
  std::string id;    // "langID", sent as langId
  std::string code;  // its "name" ("EN"), stored in every car kind record
};

// Writes the embedded files and loads the English table (the command speaks English); checks
// --card (an existing folder on a removable drive or in the desktop folder) and makes it the
// card folder, warning when it has too little room; logs in (LogInForCommand); checks that the
// account has a scanner; picks the package language of --lang (default en) among those the
// server offers for the session's scanner, into `language` and the session's
// packageLanguage. Prints what went wrong, prefixed with "kest `command`:", and returns the
// exit status; kExitOk when the command can go on.
int PrepareCardCommand(const CommonOptions& options, const char* command,
                       PackageLanguage& language);

}  // namespace kest::cli
