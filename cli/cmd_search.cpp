// kest search: what the update server offers for a scanner beside what its card holds.

#include "cli/cmd_search.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

#include "app/kest_helper_app.h"
#include "catalogue/card_layout.h"
#include "cli/cmd_login.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "resources/embedded_files.h"
#include "settings/language_table.h"
#include "settings/package_languages.h"
#include "update/grid_rows.h"
#include "update/update_search.h"

namespace kest::cli {
namespace {

// Collects the records into the catalogue, as the page does; the rest is for windows.
class CatalogueCollector final : public SearchReporter {
 public:
  explicit CatalogueCollector(CKestProduct& catalogue) : catalogue_(catalogue) {}
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string&) override {}
  void Progress(int) override {}
  void ProItemFound(const CKestProItem& item) override { catalogue_.proItems.push_back(item); }
  void CarFound(const CKestCar& car) override { catalogue_.cars.push_back(car); }
  void ClearGridReady() override {}
  void FillGrid() override {}

 private:
  CKestProduct& catalogue_;
};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int UseCard(const CommonOptions& options, const char* command) {
  std::string card = Trim(options.card);
  if (card.empty()) {
    std::fprintf(stderr, "kest %s: Path cannot be empty. Name the card's folder with --card\n",
                 command);
    return kExitUsage;
  }
  std::error_code ec;
  card = std::filesystem::absolute(card, ec).lexically_normal().string();
  if (card.size() > 1 && card.back() == '/') card.pop_back();
  if (!IsFolder(card)) {
    std::fprintf(stderr, "kest %s: Invalid SD path: %s is no folder\n", command, card.c_str());
    return kExitUsage;
  }
  if (!CardRootAcceptable(card, DriveTest::kDrivePart)) {
    std::fprintf(stderr,
                 "kest %s: Select SD card or a desktop folder: %s is neither on a removable "
                 "drive nor inside the desktop folder\n",
                 command, card.c_str());
    return kExitUsage;
  }
  SetCardFolder(card);
  if (!CardHasMinimumSpace(GetCardFreeSpace())) {
    std::fprintf(stderr, "kest %s: warning: %s (%s free)\n", command,
                 GetLangString("spacenotenough").c_str(), HumanSize(GetCardFreeSpace()).c_str());
  }
  return kExitOk;
}

int ChooseLanguage(const CommonOptions& options, const char* command, SearchInputs& inputs) {
  LoginSession& session = TheApp().session;
  int32_t reader = FetchServerLanguages(session);
  if (reader == -1) {
    std::fprintf(stderr, "kest %s: Server connection failed: no usable language list\n",
                 command);
    return kExitNoServer;
  }
  std::vector<CLanObject::MyLan> languages = ServerLanguages();
  std::string wanted = options.lang.empty() ? "en" : options.lang;
  for (const CLanObject::MyLan& lan : languages) {
    if (EqualsIgnoreCase(lan.name, wanted)) {
      inputs.languageId = lan.langID;
      inputs.languageCode = lan.name;
      session.packageLanguage = lan.name;
      return kExitOk;
    }
  }
  std::string offered;
  for (const CLanObject::MyLan& lan : languages) offered += " " + lan.name;
  std::fprintf(stderr, "kest %s: the server offers no language %s for %s (offered:%s)\n",
               command, wanted.c_str(), session.currentSerial.c_str(),
               offered.empty() ? " none" : offered.c_str());
  return reader == 0 ? kExitUsage : kExitRefused;
}

namespace {

std::string Pad(const std::string& text, size_t width) {
  size_t length = Utf8Length(text);
  return text + std::string(width > length ? width - length : 0, ' ');
}

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
    std::string text = "  " + Pad(l.tick, widths[0]) + "  " + Pad(l.name, widths[1]) + "  " +
                       Pad(l.path, widths[2]) + "  " + Pad(l.server, widths[3]) + "  " + l.card;
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

std::string HumanSize(uint64_t bytes) {
  if (bytes < 1024) return Format("%llu bytes", static_cast<unsigned long long>(bytes));
  const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return Format("%.1f %s", value, units[unit]);
}

int SearchForCommand(const CommonOptions& options, const char* command, SearchResult& result) {
  // The English table (the command speaks English) and the 7-Zip files, as start-up writes
  // them.
  ExtractEmbeddedFiles();
  LoadLanguageTable("en");
  if (int status = UseCard(options, command); status != kExitOk) return status;
  if (int status = LogInForCommand(options, command); status != kExitOk) return status;
  if (TheApp().session.currentSerial.empty()) {
    std::fprintf(stderr, "kest %s: the account %s has no scanner\n", command,
                 TheApp().session.account.c_str());
    return kExitFailed;
  }
  SearchInputs inputs;
  if (int status = ChooseLanguage(options, command, inputs); status != kExitOk) return status;
  result.languageCode = inputs.languageCode;
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
