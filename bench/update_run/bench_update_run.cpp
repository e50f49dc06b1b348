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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/kest_helper_app.h"
#include "catalogue/kest_product.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "resources/embedded_files.h"
#include "server/login.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "tools/update-server/demo_catalogue.h"
#include "tools/update-server/update_server.h"
#include "platform/work_control.h"
#include "update/grid_rows.h"
#include "update/update_run.h"
#include "update/update_search.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kTimeTarget = 1.10;

struct Sample {
  double seconds = 0;
  long peak_kib = 0;
  bool ok = false;
};

Sample RunChild(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  auto start = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    // Unpacking lists every file on standard output; neither side's listing is wanted here.
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  Sample s;
  s.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  s.peak_kib = usage.ru_maxrss;
  s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return s;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Everything the front end does, without a front end to show it.
class Quiet final : public kest::SearchReporter, public kest::RunReporter {
 public:
  kest::CKestProduct catalogue;
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string&) override {}
  void Progress(int) override {}
  void ProItemFound(const kest::CKestProItem& item) override {
    catalogue.proItems.push_back(item);
  }
  void CarFound(const kest::CKestCar& car) override { catalogue.cars.push_back(car); }
  void ClearGridReady() override {}
  void FillGrid() override {}
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
  Quiet quiet;
  if (UpdateSearch(quiet, SearchInputs{"1", "EN"}).Run() != SearchOutcome::kReady) return 3;
  ListedRows rows(RowsAfterSearch(quiet.catalogue));
  UpdateRun run(quiet.catalogue, rows, quiet, RunInputs{"EN"});
  run.Run();
  return run.AnyRowFailed() ? 1 : 0;
}

std::string Quote(const std::string& text) { return "'" + text + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--run") return RunUpdate(argv[2], argv[3]);
  int kinds = argc > 1 ? std::atoi(argv[1]) : 20;
  uint64_t mib = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 50;
  int runs = std::getenv("KEST_BENCH_RUNS") ? std::atoi(std::getenv("KEST_BENCH_RUNS")) : 3;
  if (kinds <= 0 || mib == 0 || runs <= 0) {
    std::fprintf(stderr, "usage: bench_update_run [KINDS [MiB]]\n");
    return 2;
  }
  std::string base = (fs::temp_directory_path() / "kest-bench-update-XXXXXX").string();
  if (!::mkdtemp(base.data())) return 1;
  std::printf("update_run: %d car kinds of %llu MiB, %d runs each, alternating\n", kinds,
              static_cast<unsigned long long>(mib), runs);
  std::fflush(stdout);

  kest::demo::DemoOptions options;
  options.carKinds = kinds;
  options.versionsPerKind = 1;
  options.dataBytes = mib << 20;
  options.languages = {{"1", "EN", "English"}};
  options.productItems = false;
  auto made_at = Clock::now();
  kest::Status made = kest::demo::MakeDemoCatalogue(base + "/catalogue", options);
  if (!made) {
    std::fprintf(stderr, "bench_update_run: %s\n", made.error().message.c_str());
    return 1;
  }
  std::printf("  catalogue made in %.1f s\n",
              std::chrono::duration<double>(Clock::now() - made_at).count());

  int status = 1;
  kest::update_server::UpdateServer server;
  kest::Expected<int> port = server.Start(base + "/catalogue");
  if (!port) {
    std::fprintf(stderr, "bench_update_run: %s\n", port.error().message.c_str());
  } else {
    // The pipeline: the same packages, one after the other, through the standard tools.
    std::string script = "set -e\n";
    std::vector<std::string> urls;
    for (const fs::directory_entry& e : fs::directory_iterator(base + "/catalogue/packages")) {
      urls.push_back(server.BaseUrl() + "/files/packages/" + e.path().filename().string());
    }
    std::sort(urls.begin(), urls.end());
    for (const std::string& url : urls) {
      script += "curl -s -o \"$1/pkg\" " + Quote(url) + "\n" +
                "7za x -y -bso0 -bsp0 -o\"$1/staging\" \"$1/pkg\"\n" +
                "cp -r \"$1/staging/CarDB\" \"$2/\"\n" + "rm -rf \"$1/staging\" \"$1/pkg\"\n";
    }
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<double> ours, tools;
    long ours_peak = 0;
    bool all_ok = true;
    // One untimed pass of the tools: the packages' pages are then cached for every run alike.
    fs::create_directories(base + "/work");
    fs::create_directories(base + "/card");
    RunChild({"bash", "-c", script, "pipeline", base + "/work", base + "/card"});
    for (int i = 0; i < runs; ++i) {
      for (int which = 0; which < 2; ++which) {
        std::error_code ec;
        fs::remove_all(base + "/card", ec);
        fs::remove_all(base + "/work", ec);
        fs::create_directories(base + "/card");
        fs::create_directories(base + "/work");
        ::sync();
        ::setenv("TMPDIR", (base + "/work").c_str(), 1);
        Sample s = which == 0
                       ? RunChild({self, "--run", server.BaseUrl(), base + "/card"})
                       : RunChild({"bash", "-c", script, "pipeline", base + "/work",
                                   base + "/card"});
        int installed = 0;  // complete data files, nested car kinds ("ASIA/HONDA") too
        for (auto it = fs::recursive_directory_iterator(base + "/card/CarDB", ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
          installed += it->path().filename() == "data.en" &&
                               fs::file_size(it->path(), ec) == (mib << 20)
                           ? 1
                           : 0;
        }
        bool complete = s.ok && installed == kinds;
        all_ok = all_ok && complete;
        (which == 0 ? ours : tools).push_back(s.seconds);
        if (which == 0) ours_peak = std::max(ours_peak, s.peak_kib);
        std::printf("  run %d %-22s %7.3f s  %6.1f MiB/s%s\n", i + 1,
                    which == 0 ? "UpdateRun" : "curl | 7za x | cp -r", s.seconds,
                    static_cast<double>(mib * static_cast<uint64_t>(kinds)) / s.seconds,
                    complete ? "" : "  INCOMPLETE");
        std::fflush(stdout);
      }
    }
    double ratio = Median(ours) / Median(tools);
    bool fast = ratio <= kTimeTarget;
    std::printf("median: UpdateRun %.3f s, pipeline %.3f s; ratio %.3f (target <= %.2f) %s\n",
                Median(ours), Median(tools), ratio, kTimeTarget, fast ? "ok" : "MISSED");
    // wait4 counts the forked image of this program too: an upper bound.
    std::printf("peak memory: UpdateRun at most %.1f MiB\n", ours_peak / 1024.0);
    status = all_ok && fast ? 0 : 1;
    server.Stop();
  }
  std::error_code ec;
  fs::remove_all(base, ec);
  return status;
}
