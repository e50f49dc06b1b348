// Extracting a ~500 MiB 7z archive through the archive library against `7za x` on the same
// archive, in the same run. Target: ours takes at most 5% longer.
//
// The data is made here: files whose blocks alternate between random bytes and repeated text,
// so the archive is partly compressed (LZMA2, several blocks, multi-threaded), as packages
// are. Each side runs three times, alternating, from a synced disk; the medians are compared.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "install/extract.h"
#include "platform/process.h"
#include "resources/embedded_files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 40;
constexpr size_t kFileSize = 12800u << 10;  // 40 x 12.5 MiB = 500 MiB
constexpr int kRounds = 3;
constexpr double kTarget = 1.05;

void WriteMixedFile(const std::string& path, size_t size, uint64_t seed) {
  static const char kText[] = "CarDB BENZ V10.15 data.en menu config diagnostic trouble code ";
  std::vector<char> block(64 << 10);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::exit(2);
  uint64_t x = seed | 1;
  for (size_t done = 0; done < size; done += block.size()) {
    bool random = (done / block.size()) % 2 == 0;
    for (size_t i = 0; i < block.size(); ++i) {
      if (random) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        block[i] = static_cast<char>(x);
      } else {
        block[i] = kText[(i + done / 7) % (sizeof kText - 1)];
      }
    }
    std::fwrite(block.data(), 1, std::min(block.size(), size - done), out);
  }
  std::fclose(out);
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

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs `body` with our standard output on /dev/null (the extraction's status lines), timed.
template <typename Body>
double TimeQuietly(Body body) {
  std::fflush(stdout);
  int saved = ::dup(1);
  int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, 1);
  ::close(null);
  auto start = Clock::now();
  bool ok = body();
  double seconds = Seconds(Clock::now() - start);
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  if (!ok) {
    std::fprintf(stderr, "bench_extract: a run failed\n");
    std::exit(2);
  }
  return seconds;
}

}  // namespace

int main() {
  std::string root = fs::temp_directory_path() / "kest-bench-extract-XXXXXX";
  if (!::mkdtemp(root.data())) return 2;
  ::setenv("TMPDIR", root.c_str(), 1);
  kest::ExtractEmbeddedFiles();
  std::string tool = kest::SevenZipExePath();

  std::string src = root + "/src";
  fs::create_directories(src);
  for (int i = 0; i < kFiles; ++i) {
    WriteMixedFile(src + "/part" + std::to_string(i) + ".dat", kFileSize,
                   0x9E3779B97F4A7C15u * static_cast<uint64_t>(i + 1));
  }
  std::string archive = root + "/package.7z";
  auto packed = kest::platform::RunAndWait(
      {tool, "a", "-mx1", "-mmt=on", "-bso0", "-bsp0", archive, src + "/*"}, {.quiet = true});
  if (!packed || *packed != 0) return 2;
  fs::remove_all(src);

  std::vector<double> ours, reference;
  for (int round = 0; round < kRounds; ++round) {
    std::string out_ours = root + "/ours", out_ref = root + "/ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    ours.push_back(TimeQuietly([&] { return kest::Extract7ZWithLibrary(archive, out_ours); }));
    ::sync();
    reference.push_back(TimeQuietly([&] {
      auto status = kest::platform::RunAndWait({"7za", "x", archive, "-o" + out_ref, "-y"},
                                               {.quiet = true});
      return status && *status == 0;
    }));
  }
  // Both sides must have produced the same bytes, or the comparison means nothing.
  for (int i = 0; i < kFiles; ++i) {
    std::string name = "/part" + std::to_string(i) + ".dat";
    if (!SameContent(root + "/ours" + name, root + "/ref" + name)) {
      std::fprintf(stderr, "bench_extract: %s differs from the tool's\n", name.c_str());
      return 2;
    }
  }
  double archive_mib = static_cast<double>(fs::file_size(archive)) / (1 << 20);
  fs::remove_all(root);

  double ratio = Median(ours) / Median(reference);
  std::printf("extract: %d files, %.0f MiB unpacked from a %.0f MiB archive\n", kFiles,
              kFiles * static_cast<double>(kFileSize) / (1 << 20), archive_mib);
  std::printf("  library: %.2f s   7za x: %.2f s   (medians of %d)\n", Median(ours),
              Median(reference), kRounds);
  std::printf("  ratio %.3f (target <= %.2f): %s\n", ratio, kTarget,
              ratio <= kTarget ? "met" : "MISSED");
  return ratio <= kTarget ? 0 : 1;
}
