// bench_download: HttpGetToFile against the curl tool, fetching one large package from the
// stand-in update server on loopback. Each client runs as a child process, alternating, so both
// meet the same server, disk and cache state; the child's wall time and peak resident memory
// (wait4) are measured. Prints the medians, the ratio and the peak memory.
//
//   bench_download [MiB]       default 1024 (1 GiB); KEST_BENCH_RUNS sets the runs per client
//
// Targets: our median within 10% of curl's; our peak memory under 32 MiB whatever the size.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/common/bench_support.h"
#include "server/http_get.h"
#include "tools/update-server/update_server.h"

namespace {

namespace fs = std::filesystem;
using namespace kest::bench;

constexpr double kTimeTarget = 1.10;
constexpr double kMemoryTargetMiB = 32;

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--fetch") {
    return kest::HttpGetToFile(argv[2], argv[3]) ? 0 : 1;
  }
  uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  int runs = RunsFromEnvironment(3);
  if (mib == 0) {
    std::fprintf(stderr, "usage: bench_download [MiB]\n");
    return 2;
  }

  ScratchFolder base("kest-bench-download");
  if (!base.ok()) return 1;
  const uint64_t bytes = mib << 20;
  std::printf("download: %llu MiB package, %d runs each, alternating\n",
              static_cast<unsigned long long>(mib), runs);
  std::ofstream(base / "catalogue.json")
      << R"({"carKinds": [{"langID": "1", "carKindName": "Bench", "path": "BENCH",
            "versions": [{"version": "V1", "file": "big.bin"}]}]})";
  if (!WriteRandomFile(base / "big.bin", bytes, 88172645463325252ull)) return 1;
  kest::update_server::UpdateServer server;
  kest::Expected<int> port = server.Start(base.path());
  if (!port) {
    std::fprintf(stderr, "bench_download: %s\n", port.error().message.c_str());
    return 1;
  }
  std::string url = server.BaseUrl() + "/files/big.bin";
  std::string target = base / "out.bin";
  std::vector<double> ours, curl;
  double ours_peak = 0, curl_peak = 0;
  bool all_ok = true;
  // One untimed download first: the package's pages are then cached for every timed run
  // alike, instead of the first client paying for reading it from disk.
  RunChild({"curl", "-s", "-o", target, url});
  std::error_code warm;
  fs::remove(target, warm);
  for (int i = 0; i < runs; ++i) {
    for (int which = 0; which < 2; ++which) {
      Timing t = which == 0 ? RunChild({SelfPath(), "--fetch", url, target})
                            : RunChild({"curl", "-s", "-o", target, url});
      std::error_code ec;
      bool complete = t.ok && fs::file_size(target, ec) == bytes;
      all_ok = all_ok && complete;
      fs::remove(target, ec);
      (which == 0 ? ours : curl).push_back(t.seconds);
      double& peak = which == 0 ? ours_peak : curl_peak;
      peak = std::max(peak, t.peak_mib);
      std::printf("  run %d %-13s %7.3f s  %6.1f MiB/s  peak %6.1f MiB%s\n", i + 1,
                  which == 0 ? "HttpGetToFile" : "curl -o", t.seconds,
                  static_cast<double>(mib) / t.seconds, t.peak_mib,
                  complete ? "" : "  INCOMPLETE");
    }
  }
  bool fast = PrintMedians("HttpGetToFile", ours, "curl -o", curl, kTimeTarget);
  bool small = PrintBelow("peak memory of HttpGetToFile", ours_peak, "MiB", kMemoryTargetMiB);
  std::printf("  peak memory of curl -o: %.1f MiB\n", curl_peak);
  server.Stop();
  return all_ok && fast && small ? 0 : 1;
}
