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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/kest_helper_app.h"
#include "bench/common/bench_support.h"
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
using namespace kest::bench;
using kest::Format;

constexpr double kSecondsTarget = 1.0;

int Search(const std::string& url, const std::string& card, int kinds, int on_card,
           const std::string& peak_file) {
  using namespace kest;
  ExtractEmbeddedFiles();
  LoadLanguageTable("en");
  OverrideServerUrl(url);
  if (Login(TheApp().session, "bench", "bench01") != kLoginOk || !SetCardFolder(card)) return 2;
  TheApp().session.packageLanguage = "EN";
  CKestProduct catalogue;  // the copies a page keeps
  CatalogueCollector collector(catalogue);
  if (UpdateSearch(collector, SearchInputs{"1", "EN"}).Run() != SearchOutcome::kReady) return 3;
  int with_local = 0;
  for (const CKestCar& car : catalogue.cars) {
    with_local += car.localVersions.empty() ? 0 : 1;
  }
  // The parent cannot take the peak from wait4: a child's figure there includes the forked
  // copy of the parent, server and all.
  std::ofstream(peak_file) << PeakResidentKib();
  return static_cast<int>(catalogue.cars.size()) == kinds && with_local == on_card ? 0
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
  int runs = RunsFromEnvironment(5);
  if (kinds <= 0 || on_card < 0 || on_card > kinds) {
    std::fprintf(stderr, "usage: bench_search [KINDS [ON_CARD]]\n");
    return 2;
  }
  ScratchFolder base("kest-bench-search");
  if (!base.ok()) return 1;
  std::printf("search: %d car kinds, %d of them on the card with two versions, %d runs each\n",
              kinds, on_card, runs);
  fs::create_directories(base / "catalogue");
  WriteCatalogue(base / "catalogue", kinds);
  // Every fourth kind is on the card (spread over the folder, as brands are).
  int step = on_card ? kinds / on_card : 1;
  for (int k = 0, n = 0; n < on_card; k += step, ++n) {
    for (const char* version : {"V1.10", "V1.20"}) {
      std::string folder = base / Format("card/CarDB/KIND%04d/%s", k, version);
      fs::create_directories(folder);
      std::ofstream(folder + "/data.en") << "x";
    }
  }

  kest::update_server::UpdateServer server;
  kest::Expected<int> port = server.Start(base / "catalogue");
  if (!port) {
    std::fprintf(stderr, "bench_search: %s\n", port.error().message.c_str());
    return 1;
  }
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
  const std::vector<std::string> reference = {"bash", "-c", script, "reference",
                                              products, cars, base / "card"};

  std::vector<double> ours, tools;
  double ours_peak = 0;
  bool all_ok = true;
  RunChild(reference);  // warm
  for (int i = 0; i < runs; ++i) {
    Timing s = RunChild({SelfPath(), "--search", server.BaseUrl(), base / "card",
                         std::to_string(kinds), std::to_string(on_card), base / "peak"});
    long peak_kib = 0;
    std::ifstream(base / "peak") >> peak_kib;
    s.peak_mib = static_cast<double>(peak_kib) / 1024;
    Timing t = RunChild(reference);
    all_ok = all_ok && s.ok && t.ok;
    ours.push_back(s.seconds);
    tools.push_back(t.seconds);
    ours_peak = std::max(ours_peak, s.peak_mib);
    std::printf("  run %d  UpdateSearch %6.3f s  peak %6.1f MiB%s   curl+find %6.3f s\n", i + 1,
                s.seconds, s.peak_mib, s.ok ? "" : "  WRONG RESULT", t.seconds);
  }
  // The target is the time itself; the tools show what the same requests and listing cost.
  PrintMedians("UpdateSearch", ours, "curl+find", tools, 0);
  bool fast = PrintBelow("median of UpdateSearch", Median(ours), "s", kSecondsTarget, 3);
  std::printf("  peak memory of UpdateSearch: %.1f MiB\n", ours_peak);
  server.Stop();
  return all_ok && fast ? 0 : 1;
}
