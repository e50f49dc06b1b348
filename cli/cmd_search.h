#pragma once
// What kest search and kest update share: the card, the login, the language and the search.

#include <string>

#include "catalogue/kest_product.h"
#include "cli/cli_options.h"
#include "update/update_search.h"

namespace kest::cli {

struct SearchResult {
  CKestProduct catalogue;    // product items and car kinds, in the server's order
  std::string languageCode;  // the chosen package language's code ("EN")
};

// Checks --card (an existing folder on a removable drive or in the desktop folder) and makes
// it the card folder, logs in, picks the package language of --lang among those the server
// offers for the scanner, and runs the update search. Prints what went wrong, prefixed with
// `command`, and returns the exit status; kExitOk when `result` holds the catalogue.
int SearchForCommand(const CommonOptions& options, const char* command, SearchResult& result);

// The first steps of SearchForCommand, for the other commands that work on the card:
// UseCard checks --card (an existing folder on a removable drive or in the desktop folder)
// and makes it the card folder; ChooseLanguage picks the package language of --lang among
// those the server offers for the session's scanner (into `inputs` and the session's
// packageLanguage). Both print what went wrong and return the exit status.
int UseCard(const CommonOptions& options, const char* command);
int ChooseLanguage(const CommonOptions& options, const char* command, SearchInputs& inputs);

// "1.5 GiB", "12.0 MiB", "512 bytes".
std::string HumanSize(uint64_t bytes);

}  // namespace kest::cli
