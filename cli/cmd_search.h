#pragma once
// What kest search and kest update share: the card, the login, the language and the search.

#include <string>

#include "catalogue/kest_product.h"
#include "cli/cli_options.h"

namespace kest::cli {

struct SearchResult {
  CKestProduct catalogue;    // product items and car kinds, in the server's order
  std::string languageCode;  // the chosen package language's code ("EN")
};

// Prepares the card command (PrepareCardCommand: the card folder, the login, the scanner and
// the package language of --lang) and runs the update search. Prints what went wrong,
// prefixed with `command`, and returns the exit status; kExitOk when `result` holds the
// catalogue.
int SearchForCommand(const CommonOptions& options, const char* command, SearchResult& result);

}  // namespace kest::cli
