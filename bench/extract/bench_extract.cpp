// Extracting a ~500 MiB 7z archive through the archive library against `7za x` on the same
// archive, in the same run. Target: ours takes at most 5% longer.
//
// The data is made here: mixed files (blocks of random bytes and repeated text), so the
// archive is partly compressed (LZMA2, several blocks, multi-threaded), as packages are. Each
// side runs three times (KEST_BENCH_RUNS), alternating, from a synced disk; the medians are
// compared.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/common/bench_support.h"
#include "install/extract.h"
#include "resources/embedded_files.h"

namespace {

namespace fs = std::filesystem;
using namespace kest::bench;

constexpr int kFiles = 40;
constexpr uint64_t kFileSize = 12800u << 10;  // 40 x 12.5 MiB = 500 MiB
constexpr double kTarget = 1.05;

}  // namespace

int main() {
  ScratchFolder root("kest-bench-extract");
  if (!root.ok()) return 2;
  ::setenv("TMPDIR", root.path().c_str(), 1);
  kest::ExtractEmbeddedFiles();
  std::string tool = kest::SevenZipExePath();

  std::string src = root / "src";
  fs::create_directories(src);
  for (int i = 0; i < kFiles; ++i) {
    if (!WriteMixedFile(src + "/part" + std::to_string(i) + ".dat", kFileSize,
                        0x9E3779B97F4A7C15u * static_cast<uint64_t>(i + 1))) {
      return 2;
    }
  }
  std::string archive = root / "package.7z";
  if (!RunChild({tool, "a", "-mx1", "-mmt=on", "-bso0", "-bsp0", archive, src + "/*"}).ok) {
    return 2;
  }
  fs::remove_all(src);

  const int runs = RunsFromEnvironment(3);
  std::vector<double> ours, reference;
  for (int run = 0; run < runs; ++run) {
    std::string out_ours = root / "ours", out_ref = root / "ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    // Our standard output goes to /dev/null meanwhile: the extraction's status lines.
    Timing library =
        TimeCall([&] { return kest::Extract7ZWithLibrary(archive, out_ours); }, /*quiet=*/true);
    ::sync();
    Timing tool_run = RunChild({"7za", "x", archive, "-o" + out_ref, "-y"}, {.quiet = true});
    if (!library.ok || !tool_run.ok) {
      std::fprintf(stderr, "bench_extract: a run failed\n");
      return 2;
    }
    ours.push_back(library.seconds);
    reference.push_back(tool_run.seconds);
  }
  // Both sides must have produced the same bytes, or the comparison means nothing.
  if (!SameTree(root / "ours", root / "ref")) {
    std::fprintf(stderr, "bench_extract: the library's files differ from the tool's\n");
    return 2;
  }

  std::printf("extract: %d files, %.0f MiB unpacked from a %.0f MiB archive\n", kFiles,
              kFiles * static_cast<double>(kFileSize) / (1 << 20),
              static_cast<double>(fs::file_size(archive)) / (1 << 20));
  return PrintMedians("library", ours, "7za x", reference, kTarget) ? 0 : 1;
}
