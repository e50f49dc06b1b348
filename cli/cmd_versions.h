#pragma once
// What kest versions and kest delete share: the card, the login, the language and the
// version listing, and the table that shows its result.

#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/kest_car.h"
#include "cli/cli_options.h"

namespace kest::cli {

struct VersionListing {
  std::vector<CKestCar> cars;  // in the server's order, each with its versions newest first
  std::string languageCode;    // the chosen package language's code ("EN")
};

// Prepares the card command (PrepareCardCommand: the card folder, the login, the scanner and
// the package language of --lang) and lists the car kinds that have two versions or more on
// the card. Prints what went wrong, prefixed with `command`, and returns the exit status;
// kExitOk also when no kind has older versions.
int ListVersionsForCommand(const CommonOptions& options, const char* command,
                           VersionListing& listing);

// One line per car kind: name, path and the versions on the card, newest first.
void PrintVersionTable(const std::vector<CKestCar>& cars, std::FILE* out);

}  // namespace kest::cli
