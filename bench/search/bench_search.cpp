// bench_search: the update search over a catalogue of 2,000 car kinds against a card that
// holds 500 of them (two versions each): the two requests, 2,000 records each scanning the
// card, and the copies a page keeps. Time and peak memory of a child process doing only that
// (this program started again with --search), beside the same requests made with curl and a
// listing of the card with find, measured in the same run.
//
//   bench_search [KINDS [ON_CARD]]     default 2000 and 500; KEST_BENCH_RUNS runs each
//
// Target: under one second.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "server/server_get.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "tools/update-server/update_server.h"
#include "update/update_search.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using kest::Format;

constexpr double kSecondsTarget = 1.0;

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

// Keeps copies of the records, as the page does.
class Collector final : public kest::SearchReporter {
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
};

// The peak resident size of this process image (VmHWM, KiB). The parent cannot take it from
// wait4: a child's figure there includes the forked copy of the parent, server and all.
long PeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

int Search(const std::string& url, const std::string& card, int kinds, int on_card,
           const std::string& peak_file) {
  using namespace kest;
  ExtractEmbeddedFiles();
  LoadLanguageTable("en");
  OverrideServerUrl(url);
  if (Login(TheApp().session, "bench", "bench01") != kLoginOk || !SetCardFolder(card)) return 2;
  TheApp().session.packageLanguage = "EN";
  Collector collector;
  if (UpdateSearch(collector, SearchInputs{"1", "EN"}).Run() != SearchOutcome::kReady) return 3;
  int with_local = 0;
  for (const CKestCar& car : collector.catalogue.cars) {
    with_local += car.localVersions.empty() ? 0 : 1;
  }
  std::ofstream(peak_file) << PeakKib();
  return static_cast<int>(collector.catalogue.cars.size()) == kinds && with_local == on_card ? 0
                                                                                              : 1;
}

void WriteCatalogue(const std::string& folder, int kinds) {
  std::ofstream out(folder + "/catalogue.json");
  out << R"({"languages": [{"langID": "1", "name": "EN", "langname": "English"}],
  "members": [{"account": "bench", "password": "bench01", "memberID": 1, "identity": 1,
               "sns": ["KS0000001"]}],
  "products": [)";
  for (int i = 0; i < 3; ++i) {
    out << (i ? "," : "") << Format(R"({"langID": "1", "name": "program %d", "productInfoID": %d,
      "versions": [{"version": "V1.%d0", "publishTime": "2019-01-01", "path": "p/%d"}]})",
                                    i, i + 1, i + 1, i);
  }
  out << "],\n  \"carKinds\": [";
  for (int k = 0; k < kinds; ++k) {
    out << (k ? ",\n" : "\n")
        << Format(R"(    {"langID": "1", "carKindName": "Kind %04d", "path": "KIND%04d",
     "versions": [{"version": "V1.10", "publishTime": "2019-01-01", "path": "c/%d/1"},
                  {"version": "V1.20", "publishTime": "2019-02-01", "path": "c/%d/2"},
                  {"version": "V1.30", "publishTime": "2019-03-01", "path": "c/%d/3"}]})",
                  k, k, k, k, k);
  }
  out << "]}\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::string(argv[1]) == "--search") {
    return Search(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), argv[6]);
  }
  int kinds = argc > 1 ? std::atoi(argv[1]) : 2000;
  int on_card = argc > 2 ? std::atoi(argv[2]) : 500;
  int runs = std::getenv("KEST_BENCH_RUNS") ? std::atoi(std::getenv("KEST_BENCH_RUNS")) : 5;
  if (kinds <= 0 || on_card < 0 || on_card > kinds || runs <= 0) {
    std::fprintf(stderr, "usage: bench_search [KINDS [ON_CARD]]\n");
    return 2;
  }
  std::string base = (fs::temp_directory_path() / "kest-bench-search-XXXXXX").string();
  if (!::mkdtemp(base.data())) return 1;
  std::printf("search: %d car kinds, %d of them on the card with two versions, %d runs each\n",
              kinds, on_card, runs);
  fs::create_directories(base + "/catalogue");
  WriteCatalogue(base + "/catalogue", kinds);
  // Every fourth kind is on the card (spread over the folder, as brands are).
  int step = on_card ? kinds / on_card : 1;
  for (int k = 0, n = 0; n < on_card; k += step, ++n) {
    for (const char* version : {"V1.10", "V1.20"}) {
      std::string folder = base + Format("/card/CarDB/KIND%04d/%s", k, version);
      fs::create_directories(folder);
      std::ofstream(folder + "/data.en") << "x";
    }
  }

  int status = 1;
  kest::update_server::UpdateServer server;
  kest::Expected<int> port = server.Start(base + "/catalogue");
  if (port) {
    // The reference: the same two requests with curl, and a listing of the card.
    kest::OverrideServerUrl(server.BaseUrl());
    kest::LoginSession session;
    kest::Login(session, "bench", "bench01");
    std::string products = kest::BuildRequestUrl(
        kest::kGetFile4MemberEndpoint.path,
        Format("token=%s&sns=KS0000001&fileFolderType=0&region=2&langId=1",
               session.token.c_str()));
    std::string cars = kest::BuildRequestUrl(
        kest::kListInfoEndpoint.path,
        Format("token=%s&sns=KS0000001&langId=1&region=2", session.token.c_str()));
    std::string script = "curl -s -o /dev/null \"$1\" && curl -s -o /dev/null \"$2\" && "
                         "find \"$3\" -maxdepth 4 > /dev/null";

    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<double> ours, tools;
    long ours_peak = 0;
    bool all_ok = true;
    RunChild({"bash", "-c", script, "reference", products, cars, base + "/card"});  // warm
    for (int i = 0; i < runs; ++i) {
      Sample s = RunChild({self, "--search", server.BaseUrl(), base + "/card",
                           std::to_string(kinds), std::to_string(on_card), base + "/peak"});
      std::ifstream(base + "/peak") >> s.peak_kib;
      Sample t = RunChild({"bash", "-c", script, "reference", products, cars, base + "/card"});
      all_ok = all_ok && s.ok && t.ok;
      ours.push_back(s.seconds);
      tools.push_back(t.seconds);
      ours_peak = std::max(ours_peak, s.peak_kib);
      std::printf("  run %d  UpdateSearch %6.3f s  peak %6.1f MiB%s   curl+find %6.3f s\n", i + 1,
                  s.seconds, s.peak_kib / 1024.0, s.ok ? "" : "  WRONG RESULT", t.seconds);
    }
    double median = Median(ours);
    bool fast = median < kSecondsTarget;
    std::printf("median: UpdateSearch %.3f s (target < %.1f s) %s; curl+find %.3f s, ratio "
                "%.2f\n",
                median, kSecondsTarget, fast ? "ok" : "MISSED", Median(tools),
                median / Median(tools));
    std::printf("peak memory: UpdateSearch %.1f MiB\n", ours_peak / 1024.0);
    status = all_ok && fast ? 0 : 1;
    server.Stop();
  } else {
    std::fprintf(stderr, "bench_search: %s\n", port.error().message.c_str());
  }
  std::error_code ec;
  fs::remove_all(base, ec);
  return status;
}
