// kest versions: the car kinds of which the card holds two versions or more.

#include "cli/cmd_versions.h"

#include <algorithm>

#include "app/kest_helper_app.h"
#include "cli/card_command.h"
#include "cli/terminal_text.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "versions/version_list_thread.h"

namespace kest::cli {
namespace {

// Collects the records, as the page's car list does; the rest is for windows.
class CarListCollector final : public ListingReporter {
 public:
  explicit CarListCollector(std::vector<CKestCar>& cars) : cars_(cars) {}
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string&) override {}
  void Progress(int) override {}
  void CarFound(const CKestCar& car) override { cars_.push_back(car); }
  void FillGrid() override {}
  void ShowMessage(const std::string&) override {}  // the caller tells what the list holds

 private:
  std::vector<CKestCar>& cars_;
};

int RunVersions(const CommonOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: kest versions --card FOLDER [--serial SN] [--lang CODE]\n");
    return kExitUsage;
  }
  VersionListing listing;
  if (int status = ListVersionsForCommand(options, "versions", listing); status != kExitOk) {
    return status;
  }
  std::printf("Card %s (%s free), scanner %s, language %s\n", CardFolder().c_str(),
              HumanSize(GetCardFreeSpace()).c_str(), TheApp().session.currentSerial.c_str(),
              listing.languageCode.c_str());
  if (listing.cars.empty()) {
    std::printf("%s\n", GetLangString("notfindolder").c_str());
  } else {
    PrintVersionTable(listing.cars, stdout);
  }
  return kExitOk;
}

}  // namespace

int ListVersionsForCommand(const CommonOptions& options, const char* command,
                           VersionListing& result) {
  PackageLanguage language;
  if (int status = PrepareCardCommand(options, command, language); status != kExitOk) {
    return status;
  }
  result.languageCode = language.code;
  CarListCollector collector(result.cars);
  VersionListThread listing(collector, ListingInputs{language.id, language.code});
  switch (listing.Run()) {
    case ListingOutcome::kListed:
    case ListingOutcome::kNothingOlder:
      return kExitOk;
    case ListingOutcome::kRefused:
      std::fprintf(stderr, "kest %s: the server refused the list of car kinds (code %d)\n",
                   command, listing.refusalCode());
      return kExitRefused;
    case ListingOutcome::kNoConnection:
      std::fprintf(stderr, "kest %s: Server connection failed: no answer from %s\n", command,
                   GetServerUrl().c_str());
      return kExitNoServer;
    case ListingOutcome::kAnswerUnreadable:
      std::fprintf(stderr, "kest %s: Content error:2: the server's answer could not be read\n",
                   command);
      return kExitNoServer;
    case ListingOutcome::kNotJson:
      std::fprintf(stderr, "kest %s: %s: the server's answer is no list of car kinds\n",
                   command, GetLangString("expressxmlerror").c_str());
      return kExitNoServer;
  }
  return kExitNoServer;
}

void PrintVersionTable(const std::vector<CKestCar>& cars, std::FILE* out) {
  size_t name_width = Utf8Length("name");
  size_t path_width = Utf8Length("path");
  for (const CKestCar& car : cars) {
    name_width = std::max(name_width, Utf8Length(car.carKindName));
    path_width = std::max(path_width, Utf8Length(car.path));
  }
  std::fprintf(out, "  %s  %s  versions (newest first)\n",
               PadColumn("name", name_width).c_str(), PadColumn("path", path_width).c_str());
  for (const CKestCar& car : cars) {
    std::string versions;
    for (const CKestVer& v : car.localVersions) {
      versions += (versions.empty() ? "" : "  ") + v.version;
    }
    std::fprintf(out, "  %s  %s  %s\n", PadColumn(car.carKindName, name_width).c_str(),
                 PadColumn(car.path, path_width).c_str(), versions.c_str());
  }
}

extern const Command kVersionsCommand = {
    "versions",
    "list the car kinds with two or more versions on the card",
    "usage: kest --card FOLDER [--serial SN] [--lang CODE] versions\n"
    "\n"
    "Logs in (as kest login does), asks the update server for the car kinds of the scanner\n"
    "(the account's first serial number, or --serial) in the package language --lang\n"
    "(default en), and lists those of which the card holds two versions or more: the name,\n"
    "the folder below CarDB/ on the card and the versions there, newest first. Delete the\n"
    "ones you no longer need with kest delete to make room on the card.\n"
    "\n"
    "FOLDER is the card's root: a folder on a removable drive or inside the desktop folder.\n"
    "\n"
    "Exit status: 0 listed (also when no kind has older versions), 1 the account has no\n"
    "scanner, 2 wrong command line, card folder or language, 3 no usable answer from the\n"
    "server, 4 refused by the server.\n",
    RunVersions,
};

}  // namespace kest::cli
