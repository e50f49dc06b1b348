// CopyFolderTree of a staged tree (10,000 small files in 100 folders and four large files)
// against `cp -r` of the same tree, in the same run. Target: at most 10% longer.
// Each side runs three times (KEST_BENCH_RUNS), alternating, from a synced disk; the medians
// are compared.

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/common/bench_support.h"
#include "install/folder_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace kest::bench;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kLargeFiles = 4;
constexpr uint64_t kLargeSize = 96u << 20;
constexpr double kTarget = 1.10;

}  // namespace

int main() {
  ScratchFolder root("kest-bench-copy");
  if (!root.ok()) return 2;
  std::string src = root / "KestSD";
  uint64_t seed = 1;
  uint64_t total = 0;
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = src + "/CarDB/MAKE" + std::to_string(f) + "/V1.0";
    fs::create_directories(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      uint64_t size = 512 + (seed * 2654435761u) % 8192;  // 0.5 to 8.5 KiB
      if (!WriteRandomFile(folder + "/f" + std::to_string(i) + ".dat", size, seed++)) return 2;
      total += size;
    }
  }
  for (int i = 0; i < kLargeFiles; ++i) {
    std::string large = src + "/CarDB/large" + std::to_string(i) + ".bin";
    if (!WriteRandomFile(large, kLargeSize, seed++)) return 2;
    total += kLargeSize;
  }

  const int runs = RunsFromEnvironment(3);
  std::vector<double> ours, reference;
  for (int run = 0; run < runs; ++run) {
    std::string out_ours = root / "card-ours", out_ref = root / "card-ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    Timing copy = TimeCall([&] { return kest::CopyFolderTree(src, out_ours); });
    ::sync();
    Timing cp = RunChild({"cp", "-r", src, out_ref});
    // The same files with the same bytes: a copy that skipped or cut anything does not count.
    if (!copy.ok || !cp.ok || !SameTree(out_ours, out_ref)) {
      std::fprintf(stderr, "bench_copy_tree: a copy failed or the copies differ\n");
      return 2;
    }
    ours.push_back(copy.seconds);
    reference.push_back(cp.seconds);
  }

  std::printf("copy_tree: %d small files in %d folders + %d large, %.0f MiB\n",
              kFolders * kFilesPerFolder, kFolders, kLargeFiles,
              static_cast<double>(total) / (1 << 20));
  return PrintMedians("CopyFolderTree", ours, "cp -r", reference, kTarget) ? 0 : 1;
}
