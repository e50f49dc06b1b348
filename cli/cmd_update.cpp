// kest update: brings the card up to date: the rows kest search ticks, or the named ones.

#include <fcntl.h>
#include <cstdio>
#include <iostream>
#include <map>
#include <unistd.h>

#include "app/kest_helper_app.h"
#include "catalogue/card_layout.h"
#include "cli/cmd_search.h"
#include "cli/interrupt_stop.h"
#include "cli/terminal_text.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "settings/language_table.h"
#include "update/grid_rows.h"
#include "update/update_run.h"

namespace kest::cli {
namespace {

// Prints the run's reports as lines; asks on the terminal when the card is full.
class TerminalReporter final : public RunReporter {
 public:
  TerminalReporter(const ListedRows& rows, std::FILE* out) : rows_(rows), out_(out) {}

  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string& text) override { Print(text); }
  void Progress(int percent) override {
    if (percent < 100) Print(Format("Progress: %d%%", percent));
  }
  void RowStatusChanged(int row, RowStatus status) override {
    if (last_[row] == status) return;  // retries repeat "Installing"
    last_[row] = status;
    Print(Format("[%d/%zu] %s: %s", row, rows_count(), RowLabel(row).c_str(),
                 GetLangString(RowStatusKey(status)).c_str()));
  }
  void RowsDone(int done, int total) override {
    Print(Format("Progress: %d%%", RunPercent(done, total)));
  }
  void CardFull(int row, uint64_t pending_bytes) override {
    for (;;) {
      Print(Format("[%d/%zu] %s: %s", row, rows_count(), RowLabel(row).c_str(),
                   GetLangString("stopin").c_str()));
      Print(GetLangString("sdspacetooless"));
      Print(Format("The card has %s free; %s and a margin of %s are needed.",
                   HumanSize(GetCardFreeSpace()).c_str(), HumanSize(pending_bytes).c_str(),
                   HumanSize(kInstallMarginBytes).c_str()));
      std::fprintf(out_, "continue? [y/N] ");
      std::fflush(out_);
      std::string answer;
      if (!std::getline(std::cin, answer)) std::fprintf(out_, "\n");
      answer = ToLowerAscii(Trim(answer));
      if (answer != "y" && answer != "yes") {
        Print("Stopping.");
        RequestStop();
        return;
      }
      if (RoomToResume(GetCardFreeSpace(), pending_bytes)) {
        WorkGate().Open();
        return;
      }
    }
  }
  void ShowClosingMessage(ClosingMessage message) override {
    Print(GetLangString(ClosingMessageKey(message)));
  }

 private:
  size_t rows_count() const { return rows_.rows().size(); }
  std::string RowLabel(int row) const {
    const GridRow& cells = rows_.rows().at(static_cast<size_t>(row) - 1);
    std::string label = ChosenVersionLabel(cells.versionText);
    return cells.name + (label.empty() ? "" : " " + label);
  }
  void Print(const std::string& line) {
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
  }

  const ListedRows& rows_;
  std::FILE* out_;
  std::map<int, RowStatus> last_;
};

// Moves the process's standard output descriptor to /dev/null for the object's lifetime and
// offers a stream on the original one.
class StandardOutputAside final {
 public:
  StandardOutputAside() {
    std::fflush(stdout);
    int saved = ::dup(STDOUT_FILENO);
    out_ = saved >= 0 ? ::fdopen(saved, "w") : nullptr;
    int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (out_ && null >= 0 && ::dup2(null, STDOUT_FILENO) >= 0) moved_ = true;
    if (null >= 0) ::close(null);
    if (!out_) {
      if (saved >= 0) ::close(saved);
      out_ = stdout;
    }
  }
  ~StandardOutputAside() {
    std::fflush(stdout);
    if (out_ == stdout) return;
    std::fflush(out_);
    if (moved_) ::dup2(::fileno(out_), STDOUT_FILENO);
    std::fclose(out_);
  }
  StandardOutputAside(const StandardOutputAside&) = delete;
  StandardOutputAside& operator=(const StandardOutputAside&) = delete;
  std::FILE* out() const { return out_; }

 private:
  std::FILE* out_ = nullptr;
  bool moved_ = false;
};

// The rows as the grid shows them after the search, then ticked as the arguments say:
// "NAME" (a car kind's name or path, or a system program's name, ignoring case) ticks that
// row with its newest version, "NAME=VERSION" with that version.
int ChooseRows(const std::vector<std::string>& args, const CKestProduct& catalogue,
               std::vector<GridRow>& rows) {
  rows = RowsAfterSearch(catalogue);
  if (args.empty()) return kExitOk;
  for (GridRow& row : rows) row.ticked = false;
  for (const std::string& arg : args) {
    size_t equals = arg.find('=');
    std::string name = arg.substr(0, equals);
    std::string version = equals == std::string::npos ? "" : arg.substr(equals + 1);
    bool found = false;
    const size_t items = catalogue.proItems.size();
    for (size_t i = 0; i < rows.size(); ++i) {
      const VersionList& versions = i < items ? catalogue.proItems[i].serverVersions
                                              : catalogue.cars[i - items].serverVersions;
      bool named = EqualsIgnoreCase(rows[i].name, name) ||
                   (i >= items && EqualsIgnoreCase(rows[i].path, name));
      if (!named) continue;
      found = true;
      if (versions.empty()) {
        std::fprintf(stderr, "kest update: the server offers no version of %s\n", name.c_str());
        return kExitUsage;
      }
      const CKestVer* chosen = &versions.front();
      if (!version.empty()) {
        chosen = FindVersion(versions, version);
        for (size_t v = 0; !chosen && v < versions.size(); ++v) {
          if (EqualsIgnoreCase(versions[v].version, version)) chosen = &versions[v];
        }
      }
      if (!chosen) {
        std::string offered;
        for (const CKestVer& v : versions) offered += " " + v.version;
        std::fprintf(stderr, "kest update: %s has no version %s (offered:%s)\n", name.c_str(),
                     version.c_str(), offered.c_str());
        return kExitUsage;
      }
      rows[i].versionText = VersionText(*chosen);
      rows[i].ticked = true;
    }
    if (!found) {
      std::fprintf(stderr, "kest update: the server offers nothing named %s (see kest search)\n",
                   name.c_str());
      return kExitUsage;
    }
  }
  return kExitOk;
}

int RunUpdate(const CommonOptions& options, const std::vector<std::string>& args) {
  SearchResult search;
  if (int status = SearchForCommand(options, "update", search); status != kExitOk) return status;
  std::vector<GridRow> chosen;
  if (int status = ChooseRows(args, search.catalogue, chosen); status != kExitOk) return status;
  size_t ticked = 0;
  for (const GridRow& row : chosen) ticked += row.ticked ? 1 : 0;
  std::printf("Updating %zu of %zu item(s) for %s on %s (language %s)\n", ticked, chosen.size(),
              TheApp().session.currentSerial.c_str(), CardFolder().c_str(),
              search.languageCode.c_str());
  std::fflush(stdout);

  // Unpacking lists every file it writes on standard output (for the window program, where
  // nobody sees it); here it would bury the progress lines. Ours go to a copy of the real
  // standard output, and the descriptor itself points at /dev/null while the run lasts.
  StandardOutputAside aside;
  ListedRows rows(std::move(chosen));
  TerminalReporter reporter(rows, aside.out());
  UpdateRun run(search.catalogue, rows, reporter, RunInputs{search.languageCode});
  SetStopFlag(0);
  WorkGate().Open();
  StopOnInterrupt interrupt("update", "item");
  run.Run();
  return run.AnyRowFailed() ? kExitFailed : kExitOk;
}

}  // namespace

extern const Command kUpdateCommand = {
    "update",
    "update the card: the items search ticks, or the named ones",
    "usage: kest --card FOLDER [--serial SN] [--lang CODE] update [NAME[=VERSION]...]\n"
    "\n"
    "Searches as kest search does, then installs onto the card every item that search ticks\n"
    "([x]), or only the named ones: NAME is a car kind's name or path, or a system program's\n"
    "name (letter case ignored), with its newest version or, as NAME=VERSION, the version\n"
    "given. Each item is downloaded, unpacked into the staging folder, checked and copied\n"
    "onto the card; a car kind is tried up to five times. A line shows each item's state and\n"
    "the progress.\n"
    "\n"
    "When the card has too little room for an item, the update pauses and asks\n"
    "\"continue? [y/N]\": make room (for instance delete older versions), then answer y; any\n"
    "other answer stops the update. Ctrl-C stops it after the current item.\n"
    "\n"
    "Exit status: 0 everything chosen is on the card, 1 an item failed or the update was\n"
    "stopped, 2 wrong command line, card folder, language, name or version, 3 no usable\n"
    "answer from the server, 4 refused by the server.\n",
    RunUpdate,
};

}  // namespace kest::cli
