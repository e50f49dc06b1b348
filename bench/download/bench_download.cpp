// bench_download: HttpGetToFile against the curl tool, fetching one large package from the
// stand-in update server on loopback. Each client runs as a child process, alternating, so both
// meet the same server, disk and cache state; the child's wall time and peak resident memory
// (wait4) are measured. Prints the medians, the ratio and the peak memory.
//
//   bench_download [MiB]       default 1024 (1 GiB); KEST_BENCH_RUNS sets the runs per client
//
// Targets: our median within 10% of curl's; our peak memory under 32 MiB whatever the size.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "server/http_get.h"
#include "tools/update-server/update_server.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
  double seconds = 0;
  long peak_kib = 0;
  bool ok = false;
};

Sample RunChild(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  Sample s;
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  s.peak_kib = usage.ru_maxrss;
  s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return s;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool WritePackage(const std::string& path, uint64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::string block(1 << 20, '\0');
  uint64_t x = 88172645463325252ull;
  for (uint64_t done = 0; done < bytes && out; done += block.size()) {
    for (size_t i = 0; i < block.size(); i += 8) {  // xorshift: data no layer can squeeze
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      std::memcpy(&block[i], &x, 8);
    }
    out.write(block.data(), static_cast<std::streamsize>(std::min<uint64_t>(block.size(),
                                                                            bytes - done)));
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--fetch") {
    return kest::HttpGetToFile(argv[2], argv[3]) ? 0 : 1;
  }
  uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  int runs = std::getenv("KEST_BENCH_RUNS") ? std::atoi(std::getenv("KEST_BENCH_RUNS")) : 3;
  if (mib == 0 || runs <= 0) {
    std::fprintf(stderr, "usage: bench_download [MiB]\n");
    return 2;
  }

  std::string base = (fs::temp_directory_path() / "kest-bench-download-XXXXXX").string();
  if (!::mkdtemp(base.data())) return 1;
  const uint64_t bytes = mib << 20;
  std::printf("download: %llu MiB package, %d runs each, alternating\n",
              static_cast<unsigned long long>(mib), runs);
  std::ofstream(base + "/catalogue.json")
      << R"({"carKinds": [{"langID": "1", "carKindName": "Bench", "path": "BENCH",
            "versions": [{"version": "V1", "file": "big.bin"}]}]})";
  int status = 1;
  if (WritePackage(base + "/big.bin", bytes)) {
    kest::update_server::UpdateServer server;
    kest::Expected<int> port = server.Start(base);
    if (port) {
      std::string url = server.BaseUrl() + "/files/big.bin";
      std::string target = base + "/out.bin";
      std::string self = fs::read_symlink("/proc/self/exe").string();
      std::vector<double> ours, curl;
      long ours_peak = 0, curl_peak = 0;
      bool all_ok = true;
      // One untimed download first: the package's pages are then cached for every timed run
      // alike, instead of the first client paying for reading it from disk.
      RunChild({"curl", "-s", "-o", target, url});
      std::error_code warm;
      fs::remove(target, warm);
      for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
          Sample s = which == 0 ? RunChild({self, "--fetch", url, target})
                                : RunChild({"curl", "-s", "-o", target, url});
          std::error_code ec;
          bool complete = s.ok && fs::file_size(target, ec) == bytes;
          all_ok = all_ok && complete;
          fs::remove(target, ec);
          (which == 0 ? ours : curl).push_back(s.seconds);
          long& peak = which == 0 ? ours_peak : curl_peak;
          peak = std::max(peak, s.peak_kib);
          std::printf("  run %d %-13s %7.3f s  %6.1f MiB/s  peak %6.1f MiB%s\n", i + 1,
                      which == 0 ? "HttpGetToFile" : "curl -o", s.seconds,
                      static_cast<double>(mib) / s.seconds, s.peak_kib / 1024.0,
                      complete ? "" : "  INCOMPLETE");
        }
      }
      double ratio = Median(ours) / Median(curl);
      bool fast = ratio <= 1.10;
      bool small = ours_peak < 32 * 1024;
      std::printf("median: HttpGetToFile %.3f s, curl %.3f s; ratio %.3f (target <= 1.10) %s\n",
                  Median(ours), Median(curl), ratio, fast ? "ok" : "MISSED");
      std::printf("peak memory: HttpGetToFile %.1f MiB (target < 32 MiB) %s; curl %.1f MiB\n",
                  ours_peak / 1024.0, small ? "ok" : "MISSED", curl_peak / 1024.0);
      status = all_ok && fast && small ? 0 : 1;
      server.Stop();
    } else {
      std::fprintf(stderr, "bench_download: %s\n", port.error().message.c_str());
    }
  }
  std::error_code ec;
  fs::remove_all(base, ec);
  return status;
}
