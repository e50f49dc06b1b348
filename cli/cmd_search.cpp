// kest search: what the update server offers for a scanner beside what its card holds.

#include "cli/cmd_search.h"

#include <algorithm>
#include <cstdio>

#include "app/kest_helper_app.h"
#include "cli/card_command.h"
#include "cli/terminal_text.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "settings/language_table.h"
#include "update/update_search.h"

namespace kest::cli {
namespace {

void PrintCatalogue(const SearchResult& result) {
  struct Line {
    std::string tick, name, path, server, card;
  };
  std::vector<Line> lines = {{"update", "name", "path", "server", "card"}};
  for (const CKestProItem& item : result.catalogue.proItems) {
    lines.push_back({item.NeedsUpdate() ? "[x]" : "[ ]", item.name, item.pathText,
                     item.serverVersions.empty() ? "-" : item.serverVersions.front().version,
                     "-"});
  }
  for (const CKestCar& car : result.catalogue.cars) {
    lines.push_back({car.NeedsUpdate() ? "[x]" : "[ ]", car.carKindName, car.path,
                     car.serverVersions.empty() ? "-" : car.serverVersions.front().version,
                     car.localVersions.empty() ? "-" : car.localVersions.front().version});
  }
  size_t widths[4] = {};
  for (const Line& l : lines) {
    widths[0] = std::max(widths[0], Utf8Length(l.tick));
    widths[1] = std::max(widths[1], Utf8Length(l.name));
    widths[2] = std::max(widths[2], Utf8Length(l.path));
    widths[3] = std::max(widths[3], Utf8Length(l.server));
  }
  for (const Line& l : lines) {
    std::string text = "  " + PadColumn(l.tick, widths[0]) + "  " +
                       PadColumn(l.name, widths[1]) + "  " + PadColumn(l.path, widths[2]) +
                       "  " + PadColumn(l.server, widths[3]) + "  " + l.card;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::printf("%s\n", text.c_str());
  }
}

int RunSearch(const CommonOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: kest search --card FOLDER [--serial SN] [--lang CODE]\n");
    return kExitUsage;
  }
  SearchResult result;
  int status = SearchForCommand(options, "search", result);
  if (status != kExitOk && status != kExitNoServer) return status;
  const LoginSession& session = TheApp().session;
  std::printf("Scanner %s, language %s, card %s (%s free)\n", session.currentSerial.c_str(),
              result.languageCode.c_str(), CardFolder().c_str(),
              HumanSize(GetCardFreeSpace()).c_str());
  PrintCatalogue(result);
  return status;
}

}  // namespace

int SearchForCommand(const CommonOptions& options, const char* command, SearchResult& result) {
  PackageLanguage language;
  if (int status = PrepareCardCommand(options, command, language); status != kExitOk) {
    return status;
  }
  result.languageCode = language.code;
  SearchInputs inputs{language.id, language.code};
  CatalogueCollector collector(result.catalogue);
  if (UpdateSearch(collector, inputs).Run() != SearchOutcome::kReady) {
    std::fprintf(stderr, "kest %s: %s: the server gave no list of car kinds\n", command,
                 GetLangString("expressxmlerror").c_str());
    return kExitNoServer;
  }
  return kExitOk;
}

extern const Command kSearchCommand = {
    "search",
    "show what the server offers beside what the card holds",
    "usage: kest --card FOLDER [--serial SN] [--lang CODE] search\n"
    "\n"
    "Logs in (as kest login does) and asks the update server which packages it offers for\n"
    "the scanner (the account's first serial number, or --serial) in the package language\n"
    "--lang (default en): the system programs, then the car kinds. Each line shows whether\n"
    "kest update would update it ([x]), its name, its folder below CarDB/ on the card, the\n"
    "newest version on the server and the newest on the card.\n"
    "\n"
    "FOLDER is the card's root: a folder on a removable drive or inside the desktop folder.\n"
    "\n"
    "Exit status: 0 listed, 1 the account has no scanner, 2 wrong command line, card folder\n"
    "or language, 3 no usable answer from the server, 4 refused by the server.\n",
    RunSearch,
};

}  // namespace kest::cli
