// kest delete: deletes the named versions of car kinds from the card to make room.

#include <cstdio>
#include <set>

#include "catalogue/card_layout.h"
#include "cli/cmd_versions.h"
#include "cli/interrupt_stop.h"
#include "cli/terminal_text.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "settings/language_table.h"
#include "versions/version_delete_thread.h"

namespace kest::cli {
namespace {

// One version to delete: a copy of its car kind's record and the label as the card spells it.
struct Chosen {
  CKestCar car;
  std::string version;
};

// Prints a line per row state; the rows' labels come from `chosen`.
class TerminalReporter final : public DeleteReporter {
 public:
  explicit TerminalReporter(const std::vector<Chosen>& chosen) : chosen_(chosen) {}
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string& text) override { std::printf("%s\n", text.c_str()); }
  void Progress(int) override {}
  void RowStateChanged(int row, DeleteState state) override {
    const Chosen& c = chosen_.at(static_cast<size_t>(row) - 1);
    std::printf("[%d/%zu] %s %s: %s\n", row, chosen_.size(), c.car.carKindName.c_str(),
                c.version.c_str(), GetLangString(DeleteStateKey(state)).c_str());
    std::fflush(stdout);
    if (state != DeleteState::kDeleting) ++ended_;
  }
  void RowsDone(int, int) override {}  // the row lines tell more than "Percentage:n%"
  size_t ended() const { return ended_; }

 private:
  const std::vector<Chosen>& chosen_;
  size_t ended_ = 0;
};

// "/" and "\" alike, letter case ignored: the path as a user types it.
bool SamePath(std::string a, std::string b) {
  for (std::string* s : {&a, &b}) {
    for (char& c : *s) c = c == '\\' ? '/' : c;
  }
  return EqualsIgnoreCase(a, b);
}

// Each "KIND=VERSION" argument, KIND a listed car kind's name or path (letter case ignored),
// VERSION one of its versions on the card. Everything is checked before anything is deleted.
int ChooseVersions(const std::vector<std::string>& args, const std::vector<CKestCar>& cars,
                   std::vector<Chosen>& chosen) {
  std::set<std::pair<size_t, std::string>> seen;
  for (const std::string& arg : args) {
    const size_t equals = arg.find('=');
    const std::string name = Trim(arg.substr(0, equals));
    const std::string version = equals == std::string::npos ? "" : Trim(arg.substr(equals + 1));
    if (name.empty() || version.empty()) {
      std::fprintf(stderr,
                   "kest delete: name a car kind and its version as KIND=VERSION (not %s)\n",
                   arg.c_str());
      return kExitUsage;
    }
    size_t index = 0;
    while (index < cars.size() && !EqualsIgnoreCase(cars[index].carKindName, name) &&
           !SamePath(cars[index].path, name)) {
      ++index;
    }
    if (index == cars.size()) {
      std::fprintf(stderr,
                   "kest delete: no car kind named %s has two or more versions on the card "
                   "(see kest versions)\n",
                   name.c_str());
      return kExitUsage;
    }
    const VersionList& local = cars[index].localVersions;
    const CKestVer* match = FindVersion(local, version);
    for (size_t v = 0; !match && v < local.size(); ++v) {
      if (EqualsIgnoreCase(local[v].version, version)) match = &local[v];
    }
    if (!match) {
      std::string present;
      for (const CKestVer& v : local) present += " " + v.version;
      std::fprintf(stderr, "kest delete: %s has no version %s on the card (on the card:%s)\n",
                   name.c_str(), version.c_str(), present.c_str());
      return kExitUsage;
    }
    if (seen.insert({index, match->version}).second) {
      chosen.push_back({cars[index], match->version});
    }
  }
  return kExitOk;
}

int RunDelete(const CommonOptions& options, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: kest delete --card FOLDER KIND=VERSION...\n");
    return kExitUsage;
  }
  VersionListing listing;
  if (int status = ListVersionsForCommand(options, "delete", listing); status != kExitOk) {
    return status;
  }
  std::vector<Chosen> chosen;
  if (int status = ChooseVersions(args, listing.cars, chosen); status != kExitOk) return status;

  const uint64_t free_before = GetCardFreeSpace();
  std::printf("Deleting %zu version(s) from %s\n", chosen.size(), CardFolder().c_str());
  std::fflush(stdout);
  // One row per chosen version, each ticked with its version, in the order given.
  std::vector<CKestCar> records;
  std::vector<ListedVersionRow> cells;
  for (const Chosen& c : chosen) {
    records.push_back(c.car);
    cells.push_back({true, c.version});
  }
  ListedVersionRows rows(std::move(cells));
  TerminalReporter reporter(chosen);
  VersionDeleteThread deletion(std::move(records), rows, reporter);
  SetStopFlag(0);
  WorkGate().Open();
  {
    StopOnInterrupt interrupt("delete", "version");
    deletion.Run();
  }

  const size_t skipped = chosen.size() - reporter.ended();
  if (skipped > 0) std::printf("Stopped: %zu version(s) not deleted.\n", skipped);
  // What is left of the kinds touched, read from the card again.
  std::vector<CKestCar> left;
  for (const Chosen& c : chosen) {
    bool listed = false;
    for (const CKestCar& car : left) listed = listed || car.path == c.car.path;
    if (listed) continue;
    left.push_back(c.car);
    ScanLocalVersions(left.back());
  }
  std::printf("Left on the card (%s free, %s before):\n", HumanSize(GetCardFreeSpace()).c_str(),
              HumanSize(free_before).c_str());
  PrintVersionTable(left, stdout);
  return deletion.AnyRowFailed() || skipped > 0 ? kExitFailed : kExitOk;
}

}  // namespace

extern const Command kDeleteCommand = {
    "delete",
    "delete older versions of car kinds from the card",
    "usage: kest --card FOLDER [--serial SN] [--lang CODE] delete KIND=VERSION...\n"
    "\n"
    "Lists the card's versions as kest versions does, then deletes each named version's\n"
    "folder from the card: KIND is a car kind's name or its path (letter case ignored) among\n"
    "those kest versions lists, VERSION one of its versions there. A kind may be named more\n"
    "than once; nothing keeps you from deleting its newest version. A line shows\n"
    "each version's state, and the versions left on the card follow. Read-only files are\n"
    "left in place, as the scanner's card does. Ctrl-C stops before the next version.\n"
    "\n"
    "Exit status: 0 every named version deleted, 1 a deletion failed or was stopped, 2 wrong\n"
    "command line, card folder, language, car kind or version, 3 no usable answer from the\n"
    "server, 4 refused by the server.\n",
    RunDelete,
};

}  // namespace kest::cli
