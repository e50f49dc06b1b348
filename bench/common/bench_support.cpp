#include "bench/common/bench_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kest::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kBlock = 64 << 10;

uint64_t Next(uint64_t& x) {
  x ^= x << 13;
  x ^= x >> 7;
  x ^= x << 17;
  return x;
}

void FillRandom(std::vector<char>& block, uint64_t& x) {
  for (size_t i = 0; i + 8 <= block.size(); i += 8) {
    uint64_t value = Next(x);
    std::memcpy(&block[i], &value, 8);
  }
}

}  // namespace

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int RunsFromEnvironment(int fallback) {
  const char* text = std::getenv("KEST_BENCH_RUNS");
  int runs = text ? std::atoi(text) : 0;
  return runs > 0 ? runs : fallback;
}

std::string SelfPath() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).string();
}

Timing RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Clock::time_point start = Clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (options.quiet) {
      int null = ::open("/dev/null", O_WRONLY);
      if (null >= 0) ::dup2(null, STDOUT_FILENO);
    }
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  Timing timing;
  if (pid < 0) return timing;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  timing.seconds = SecondsSince(start);
  timing.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
  timing.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return timing;
}

Timing TimeCall(const std::function<bool()>& call, bool quiet) {
  int saved = -1;
  if (quiet) {
    std::fflush(stdout);
    saved = ::dup(STDOUT_FILENO);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, STDOUT_FILENO);
      ::close(null);
    }
  }
  Timing timing;
  Clock::time_point start = Clock::now();
  timing.ok = call();
  timing.seconds = SecondsSince(start);
  if (saved >= 0) {
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
  }
  return timing;
}

long PeakResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

ScratchFolder::ScratchFolder(const std::string& tag) {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / (tag + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data())) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

bool WriteRandomFile(const std::string& path, uint64_t bytes, uint64_t seed) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::vector<char> block(1 << 20);
  uint64_t x = seed | 1;
  bool ok = true;
  for (uint64_t done = 0; ok && done < bytes; done += block.size()) {
    FillRandom(block, x);
    size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - done));
    ok = std::fwrite(block.data(), 1, n, out) == n;
  }
  return std::fclose(out) == 0 && ok;
}

void AppendMixedData(std::FILE* out, uint64_t bytes, uint64_t seed) {
  static const char kText[] = "CarDB AUDI V20.01 data.en vehicle menu special function ";
  std::vector<char> block(kBlock);
  uint64_t x = seed | 1;
  for (uint64_t done = 0; done < bytes; done += block.size()) {
    if ((done / block.size()) % 2 == 0) {
      FillRandom(block, x);
    } else {
      for (size_t i = 0; i < block.size(); ++i) {
        block[i] = kText[(i + done / 5) % (sizeof kText - 1)];
      }
    }
    size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - done));
    std::fwrite(block.data(), 1, n, out);
  }
}

bool WriteMixedFile(const std::string& path, uint64_t bytes, uint64_t seed) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  AppendMixedData(out, bytes, seed);
  bool ok = !std::ferror(out);
  return std::fclose(out) == 0 && ok;
}

bool SameContent(const std::string& a, const std::string& b) {
  std::FILE* fa = std::fopen(a.c_str(), "rb");
  std::FILE* fb = std::fopen(b.c_str(), "rb");
  bool same = fa && fb;
  std::vector<char> ba(1 << 20), bb(1 << 20);
  while (same) {
    size_t na = std::fread(ba.data(), 1, ba.size(), fa);
    size_t nb = std::fread(bb.data(), 1, bb.size(), fb);
    same = na == nb && std::equal(ba.begin(), ba.begin() + static_cast<long>(na), bb.begin());
    if (na == 0) break;
  }
  if (fa) std::fclose(fa);
  if (fb) std::fclose(fb);
  return same;
}

bool SameTree(const std::string& a, const std::string& b) {
  std::error_code ec;
  size_t count_a = 0, count_b = 0;
  for (auto it = fs::recursive_directory_iterator(a, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    ++count_a;
    std::error_code relative_ec;
    std::string relative = fs::relative(it->path(), a, relative_ec).string();
    if (it->is_regular_file() && !SameContent(it->path().string(), b + "/" + relative)) {
      return false;
    }
  }
  for (auto it = fs::recursive_directory_iterator(b, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    ++count_b;
  }
  return !ec && count_a == count_b && count_a > 0;
}

bool PrintMedians(const std::string& ours_name, const std::vector<double>& ours,
                  const std::string& reference_name, const std::vector<double>& reference,
                  double target) {
  double ratio = Median(ours) / Median(reference);
  bool met = target <= 0 || ratio <= target;
  std::printf("  median: %s %.3f s, %s %.3f s (%zu runs each); ratio %.3f", ours_name.c_str(),
              Median(ours), reference_name.c_str(), Median(reference), ours.size(), ratio);
  if (target > 0) std::printf(" (target <= %.2f): %s", target, met ? "met" : "MISSED");
  std::printf("\n");
  std::fflush(stdout);
  return met;
}

bool PrintBelow(const std::string& what, double value, const char* unit, double limit,
                int decimals) {
  bool met = value < limit;
  std::printf("  %s: %.*f %s (target < %g %s): %s\n", what.c_str(), decimals, value, unit,
              limit, unit, met ? "met" : "MISSED");
  std::fflush(stdout);
  return met;
}

}  // namespace kest::bench
