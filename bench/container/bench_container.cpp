// Installing a 1 GiB package container against writing its members out with standard tools
// (dd for plain members; dd and then `7za x` for the archive member), in the same run.
// Targets: the installation's peak memory stays under 64 MiB, and it takes at most 10% longer
// than the tools.
//
// The installation runs in a child process of its own (this program started again with
// --install), so that its peak resident size is the installation's alone.

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

#include "install/package_install.h"
#include "platform/process.h"
#include "resources/embedded_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr double kTimeTarget = 1.10;
constexpr double kMemoryTargetMiB = 64;

struct Member {
  std::string name;
  uint64_t size;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Appends `size` bytes alternating between random and repeated-text blocks.
void AppendMixed(FILE* out, uint64_t size, uint64_t seed) {
  static const char kText[] = "CarDB AUDI V20.01 data.en vehicle menu special function ";
  std::vector<char> block(64 << 10);
  uint64_t x = seed | 1;
  for (uint64_t done = 0; done < size; done += block.size()) {
    bool random = (done / block.size()) % 2 == 0;
    for (size_t i = 0; i < block.size(); ++i) {
      if (random) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        block[i] = static_cast<char>(x);
      } else {
        block[i] = kText[(i + done / 5) % (sizeof kText - 1)];
      }
    }
    size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), size - done));
    std::fwrite(block.data(), 1, n, out);
  }
}

void AppendFile(FILE* out, const std::string& path) {
  FILE* in = std::fopen(path.c_str(), "rb");
  std::vector<char> buffer(1 << 20);
  size_t n;
  while (in && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    std::fwrite(buffer.data(), 1, n, out);
  }
  if (in) std::fclose(in);
}

bool SameContent(const std::string& a, const std::string& b) {
  FILE* fa = std::fopen(a.c_str(), "rb");
  FILE* fb = std::fopen(b.c_str(), "rb");
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

// Both trees hold the same files with the same bytes.
bool SameTree(const std::string& a, const std::string& b) {
  size_t count_a = 0, count_b = 0;
  for (const auto& entry : fs::recursive_directory_iterator(a)) {
    ++count_a;
    std::string relative = fs::relative(entry.path(), a).string();
    if (entry.is_regular_file() && !SameContent(entry.path().string(), b + "/" + relative)) {
      return false;
    }
  }
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(b)) ++count_b;
  return count_a == count_b && count_a > 0;
}

bool Run(const std::vector<std::string>& argv) {
  auto status = kest::platform::RunAndWait(argv, {.quiet = true});
  return status && *status == 0;
}

// Child mode: install and report the seconds on standard output.
int InstallMode(const std::string& tool, const std::string& package, const std::string& out) {
  kest::SetSevenZipExePath(tool);
  auto start = Clock::now();
  int result = kest::Install7Z(package, out);
  std::fprintf(stderr, "%.6f\n", Seconds(Clock::now() - start));
  return result == 1 ? 0 : 1;
}

// Runs the installation in a fresh process; returns its seconds and peak resident MiB.
bool TimeInstall(const std::string& tool, const std::string& package, const std::string& out,
                 double* seconds, double* peak_mib) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return false;
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipe_fds[1], 2);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    std::string self = kest::platform::ProgramPath();
    ::execl(self.c_str(), self.c_str(), "--install", tool.c_str(), package.c_str(), out.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  char text[64] = {};
  ssize_t n = ::read(pipe_fds[0], text, sizeof text - 1);
  ::close(pipe_fds[0]);
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  *seconds = std::atof(text);
  *peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
  return true;
}

// The reference: every member written out with dd, the archive member unpacked with 7za.
bool ReferenceInstall(const std::string& package, const std::vector<Member>& members,
                      const std::string& out, const std::string& scratch) {
  fs::create_directories(out);
  uint64_t offset = 0;
  for (const Member& m : members) {
    std::vector<std::string> dd = {"dd", "if=" + package, "bs=1M",
                                   "iflag=skip_bytes,count_bytes",
                                   "skip=" + std::to_string(offset),
                                   "count=" + std::to_string(m.size), "status=none"};
    if (m.name == "upbase.exe") {
      // skipped, as the installation skips it
    } else if (m.name.find(".7z") != std::string::npos) {
      dd.push_back("of=" + scratch);
      if (!Run(dd) || !Run({"7za", "x", scratch, "-o" + out, "-y"})) return false;
      fs::remove(scratch);
    } else {
      dd.push_back("of=" + out + "/" + m.name);
      if (!Run(dd)) return false;
    }
    offset += m.size;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--install") {
    return InstallMode(argv[2], argv[3], argv[4]);
  }

  std::string root = fs::temp_directory_path() / "kest-bench-container-XXXXXX";
  if (!::mkdtemp(root.data())) return 2;
  ::setenv("TMPDIR", root.c_str(), 1);
  kest::ExtractEmbeddedFiles();
  std::string tool = kest::SevenZipExePath();

  // The archive member: 400 MiB of mixed data, packed as the maker's packages are.
  fs::create_directories(root + "/member-src");
  for (int i = 0; i < 4; ++i) {
    FILE* f = std::fopen((root + "/member-src/table" + std::to_string(i) + ".db").c_str(), "wb");
    AppendMixed(f, 100u << 20, 77 + static_cast<uint64_t>(i));
    std::fclose(f);
  }
  std::string member_archive = root + "/member.7z";
  if (!Run({tool, "a", "-mx1", "-bso0", "-bsp0", member_archive, root + "/member-src/*"})) {
    return 2;
  }
  fs::remove_all(root + "/member-src");
  uint64_t archive_size = fs::file_size(member_archive);

  std::vector<Member> members = {{"upbase.exe", 4u << 20},
                                 {"map.dat", 410u << 20},
                                 {"voice.dat", 410u << 20},
                                 {"data_v20.7z", archive_size},
                                 {"config.txt", 4096}};
  std::string package = root + "/package.bin";
  FILE* out = std::fopen(package.c_str(), "wb");
  std::string directory;
  uint64_t seed = 1;
  for (const Member& m : members) {
    if (m.name == "data_v20.7z") {
      AppendFile(out, member_archive);
    } else {
      AppendMixed(out, m.size, seed++);
    }
    std::string entry(32, '\0');
    std::string size = std::to_string(m.size);
    entry.replace(0, size.size(), size);
    entry.replace(9, m.name.size(), m.name);
    directory += entry;
  }
  std::string trailer(40, '\0');
  std::string directory_size = std::to_string(directory.size());
  trailer.replace(0, directory_size.size(), directory_size);
  std::fwrite(directory.data(), 1, directory.size(), out);
  std::fwrite(trailer.data(), 1, trailer.size(), out);
  std::fclose(out);
  fs::remove(member_archive);
  double package_mib = static_cast<double>(fs::file_size(package)) / (1 << 20);

  std::vector<double> ours, reference;
  double peak = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::string out_ours = root + "/ours", out_ref = root + "/ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    double seconds = 0, peak_mib = 0;
    if (!TimeInstall(tool, package, out_ours, &seconds, &peak_mib)) {
      std::fprintf(stderr, "bench_container: the installation failed\n");
      return 2;
    }
    ours.push_back(seconds);
    peak = std::max(peak, peak_mib);
    ::sync();
    auto start = Clock::now();
    if (!ReferenceInstall(package, members, out_ref, root + "/scratch.7z")) {
      std::fprintf(stderr, "bench_container: the reference failed\n");
      return 2;
    }
    reference.push_back(Seconds(Clock::now() - start));
  }
  if (!SameTree(root + "/ours", root + "/ref")) {
    std::fprintf(stderr, "bench_container: the installation differs from the tools' result\n");
    return 2;
  }
  fs::remove_all(root);

  double ratio = Median(ours) / Median(reference);
  bool met = ratio <= kTimeTarget && peak < kMemoryTargetMiB;
  std::printf("container: %.0f MiB package, %zu members (one 7z archive)\n", package_mib,
              members.size());
  std::printf("  Install7Z: %.2f s, peak %.1f MiB resident   dd + 7za: %.2f s"
              "   (medians of %d)\n", Median(ours), peak, Median(reference), kRounds);
  std::printf("  time ratio %.3f (target <= %.2f), memory target < %.0f MiB: %s\n", ratio,
              kTimeTarget, kMemoryTargetMiB, met ? "met" : "MISSED");
  return met ? 0 : 1;
}
