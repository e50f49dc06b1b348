// bench_update_run: an update run of 20 car kinds of 50 MiB each from the stand-in server onto
// an empty card folder, against a shell pipeline doing the same work with the standard tools
// (curl, 7za x, cp -r, rm -rf per package), in the same run.
//
//   bench_update_run [KINDS [MiB]]    default 20 kinds of 50 MiB; KEST_BENCH_RUNS runs each
//
// Both run as child processes, alternating, against the server in this process, each onto a
// fresh card folder; the file system is synced between runs so that neither pays for the
// other's writes. Ours (this program started again with --run) logs in, searches, and runs
// the update over every car kind. Target: our median within 10% of the pipeline's.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/kest_helper_app.h"
#include "bench/common/bench_support.h"
#include "catalogue/kest_product.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "resources/embedded_files.h"
#include "server/login.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "tools/update-server/demo_catalogue.h"
#include "tools/update-server/update_server.h"
#include "update/grid_rows.h"
#include "update/update_run.h"
#include "update/update_search.h"

namespace {

namespace fs = std::filesystem;
using namespace kest::bench;

constexpr double kTimeTarget = 1.10;

// What the front end does during the run, without a front end to show it.
class QuietRun final : public kest::RunReporter {
 public:
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string&) override {}
  void Progress(int) override {}
  void RowStatusChanged(int, kest::RowStatus) override {}
  void RowsDone(int, int) override {}
  void CardFull(int, uint64_t) override { kest::RequestStop(); }
  void ShowClosingMessage(kest::ClosingMessage) override {}
};

// The child: log in, search, update every row onto `card`.
int RunUpdate(const std::string& url, const std::string& card) {
  using namespace kest;
  ExtractEmbeddedFiles();
  LoadLanguageTable("en");
  OverrideServerUrl(url);
  LoginSession& session = TheApp().session;
  if (Login(session, "workshop1", "secret01") != kLoginOk || !SetCardFolder(card)) return 2;
  session.packageLanguage = "EN";
  CKestProduct catalogue;
  CatalogueCollector collector(catalogue);
  if (UpdateSearch(collector, SearchInputs{"1", "EN"}).Run() != SearchOutcome::kReady) return 3;
  ListedRows rows(RowsAfterSearch(catalogue));
  QuietRun quiet;
  UpdateRun run(catalogue, rows, quiet, RunInputs{"EN"});
  run.Run();
  return run.AnyRowFailed() ? 1 : 0;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--run") return RunUpdate(argv[2], argv[3]);
  int kinds = argc > 1 ? std::atoi(argv[1]) : 20;
  uint64_t mib = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 50;
  int runs = RunsFromEnvironment(3);
  if (kinds <= 0 || mib == 0) {
    std::fprintf(stderr, "usage: bench_update_run [KINDS [MiB]]\n");
    return 2;
  }
  ScratchFolder base("kest-bench-update");
  if (!base.ok()) return 1;
  std::printf("update_run: %d car kinds of %llu MiB, %d runs each, alternating\n", kinds,
              static_cast<unsigned long long>(mib), runs);
  std::fflush(stdout);

  kest::demo::DemoOptions options;
  options.carKinds = kinds;
  options.versionsPerKind = 1;
  options.dataBytes = mib << 20;
  options.languages = {{"1", "EN", "English"}};
  options.productItems = false;
  Clock::time_point made_at = Clock::now();
  kest::Status made = kest::demo::MakeDemoCatalogue(base / "catalogue", options);
  if (!made) {
    std::fprintf(stderr, "bench_update_run: %s\n", made.error().message.c_str());
    return 1;
  }
  std::printf("  catalogue made in %.1f s\n", SecondsSince(made_at));

  kest::update_server::UpdateServer server;
  kest::Expected<int> port = server.Start(base / "catalogue");
  if (!port) {
    std::fprintf(stderr, "bench_update_run: %s\n", port.error().message.c_str());
    return 1;
  }
  // The pipeline: the same packages, one after the other, through the standard tools.
  std::string script = "set -e\n";
  std::vector<std::string> urls;
  for (const fs::directory_entry& e : fs::directory_iterator(base / "catalogue/packages")) {
    urls.push_back(server.BaseUrl() + "/files/packages/" + e.path().filename().string());
  }
  std::sort(urls.begin(), urls.end());
  for (const std::string& url : urls) {
    script += "curl -s -o \"$1/pkg\" " + Quote(url) + "\n" +
              "7za x -y -bso0 -bsp0 -o\"$1/staging\" \"$1/pkg\"\n" +
              "cp -r \"$1/staging/CarDB\" \"$2/\"\n" + "rm -rf \"$1/staging\" \"$1/pkg\"\n";
  }
  const std::vector<std::string> pipeline = {"bash", "-c", script, "pipeline", base / "work",
                                             base / "card"};
  // Unpacking lists every file on standard output; neither side's listing is wanted here.
  const ChildOptions quiet{.quiet = true};
  std::vector<double> ours, tools;
  double ours_peak = 0;
  bool all_ok = true;
  // One untimed pass of the tools: the packages' pages are then cached for every run alike.
  fs::create_directories(base / "work");
  fs::create_directories(base / "card");
  RunChild(pipeline, quiet);
  for (int i = 0; i < runs; ++i) {
    for (int which = 0; which < 2; ++which) {
      std::error_code ec;
      fs::remove_all(base / "card", ec);
      fs::remove_all(base / "work", ec);
      fs::create_directories(base / "card");
      fs::create_directories(base / "work");
      ::sync();
      ::setenv("TMPDIR", (base / "work").c_str(), 1);
      Timing t = which == 0
                     ? RunChild({SelfPath(), "--run", server.BaseUrl(), base / "card"}, quiet)
                     : RunChild(pipeline, quiet);
      int installed = 0;  // complete data files, nested car kinds ("ASIA/HONDA") too
      for (auto it = fs::recursive_directory_iterator(base / "card/CarDB", ec);
           !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        installed += it->path().filename() == "data.en" &&
                             fs::file_size(it->path(), ec) == (mib << 20)
                         ? 1
                         : 0;
      }
      bool complete = t.ok && installed == kinds;
      all_ok = all_ok && complete;
      (which == 0 ? ours : tools).push_back(t.seconds);
      if (which == 0) ours_peak = std::max(ours_peak, t.peak_mib);
      std::printf("  run %d %-22s %7.3f s  %6.1f MiB/s%s\n", i + 1,
                  which == 0 ? "UpdateRun" : "curl | 7za x | cp -r", t.seconds,
                  static_cast<double>(mib * static_cast<uint64_t>(kinds)) / t.seconds,
                  complete ? "" : "  INCOMPLETE");
      std::fflush(stdout);
    }
  }
  bool fast = PrintMedians("UpdateRun", ours, "pipeline", tools, kTimeTarget);
  // wait4 counts the forked image of this program too: an upper bound.
  std::printf("  peak memory of UpdateRun: at most %.1f MiB\n", ours_peak);
  server.Stop();
  return all_ok && fast ? 0 : 1;
}
