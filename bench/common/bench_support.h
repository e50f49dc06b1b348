#pragma once
// What every benchmark shares. A benchmark measures our code and a reference tool in the same
// run, alternating, on the same data, and prints our figure, the reference's, the ratio and
// the target; its exit status is 0 only when the target is met.
//
//   kest::bench::ScratchFolder root("kest-bench-copy");
//   std::vector<double> ours, reference;
//   for (int run = 0; run < kest::bench::RunsFromEnvironment(3); ++run) {
//     ours.push_back(kest::bench::TimeCall([&] { return Copy(); }).seconds);
//     reference.push_back(kest::bench::RunChild({"cp", "-r", src, dst}).seconds);
//   }
//   bool met = kest::bench::PrintMedians("CopyFolderTree", ours, "cp -r", reference, 1.10);

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace kest::bench {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start);

// The middle value; the mean of the two middle ones for an even count; 0 when empty.
double Median(std::vector<double> values);

// $KEST_BENCH_RUNS when it is a positive number, else `fallback`.
int RunsFromEnvironment(int fallback);

// The running program's own path, to start itself again in a child mode.
std::string SelfPath();

struct Timing {
  double seconds = 0;
  double peak_mib = 0;  // peak resident memory of a child (0 for TimeCall)
  bool ok = false;      // the child ended with status 0, or the call returned true
};

struct ChildOptions {
  bool quiet = false;  // the child's standard output to /dev/null (listings of unpacking)
};

// Starts argv (argv[0] looked up in PATH) and waits for it: its wall time, and its peak
// resident memory as wait4 reports it. That figure also counts the copy of this process that
// fork made until exec replaced it: an upper bound when this process is large (a server in
// it), exact enough when it is small.
Timing RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// Times `call` in this process; with `quiet`, our standard output goes to /dev/null while it
// runs (the status lines of an extraction).
Timing TimeCall(const std::function<bool()>& call, bool quiet = false);

// The peak resident memory of this process so far (VmHWM), in KiB.
long PeakResidentKib();

// A fresh folder "<temporary folder>/<tag>-XXXXXX", removed with all it holds when the object
// goes.
class ScratchFolder final {
 public:
  explicit ScratchFolder(const std::string& tag);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Test data. Random bytes (xorshift) are what no layer can compress or deduplicate; "mixed"
// data alternates blocks of 64 KiB of random bytes and repeated text, so that an archive of it
// is partly compressed, as the maker's packages are.
bool WriteRandomFile(const std::string& path, uint64_t bytes, uint64_t seed);
void AppendMixedData(std::FILE* out, uint64_t bytes, uint64_t seed);
bool WriteMixedFile(const std::string& path, uint64_t bytes, uint64_t seed);

// Both files hold the same bytes.
bool SameContent(const std::string& a, const std::string& b);
// Both folders hold the same entries, and their files the same bytes; false when empty.
bool SameTree(const std::string& a, const std::string& b);

// The comparison line:
//   "  median: <ours> 1.346 s, <reference> 1.405 s (3 runs each); ratio 0.958 (target <= 1.10):
//    met"
// True when the ratio of the medians is within `target`; a target of 0 prints the ratio
// alone and is always met.
bool PrintMedians(const std::string& ours_name, const std::vector<double>& ours,
                  const std::string& reference_name, const std::vector<double>& reference,
                  double target);

// A figure against a limit: "  <what>: 12.9 MiB (target < 32 MiB): met", the figure with
// `decimals` places. True when below.
bool PrintBelow(const std::string& what, double value, const char* unit, double limit,
                int decimals = 1);

}  // namespace kest::bench
