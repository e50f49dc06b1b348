// CopyFolderTree of a staged tree (10,000 small files in 100 folders and four large files)
// against `cp -r` of the same tree, in the same run. Target: at most 10% longer.
// Each side runs three times, alternating, from a synced disk; the medians are compared.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "install/folder_tree.h"
#include "platform/process.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kLargeFiles = 4;
constexpr uint64_t kLargeSize = 96u << 20;
constexpr int kRounds = 3;
constexpr double kTarget = 1.10;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void WriteBytes(const std::string& path, uint64_t size, uint64_t seed) {
  std::vector<char> block(std::min<uint64_t>(size, 1 << 20));
  uint64_t x = seed | 1;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::exit(2);
  for (uint64_t done = 0; done < size; done += block.size()) {
    for (char& c : block) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      c = static_cast<char>(x);
    }
    size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), size - done));
    std::fwrite(block.data(), 1, n, out);
  }
  std::fclose(out);
}

// Same files, same sizes: a copy that skipped or cut anything does not count.
bool SameShape(const std::string& a, const std::string& b) {
  uint64_t files_a = 0, bytes_a = 0, files_b = 0, bytes_b = 0;
  for (const auto& e : fs::recursive_directory_iterator(a)) {
    if (e.is_regular_file()) ++files_a, bytes_a += e.file_size();
  }
  for (const auto& e : fs::recursive_directory_iterator(b)) {
    if (e.is_regular_file()) ++files_b, bytes_b += e.file_size();
  }
  return files_a == files_b && bytes_a == bytes_b;
}

}  // namespace

int main() {
  std::string root = fs::temp_directory_path() / "kest-bench-copy-XXXXXX";
  if (!::mkdtemp(root.data())) return 2;
  std::string src = root + "/KestSD";
  uint64_t seed = 1;
  uint64_t total = 0;
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = src + "/CarDB/MAKE" + std::to_string(f) + "/V1.0";
    fs::create_directories(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
      uint64_t size = 512 + (seed * 2654435761u) % 8192;  // 0.5 to 8.5 KiB
      WriteBytes(folder + "/f" + std::to_string(i) + ".dat", size, seed++);
      total += size;
    }
  }
  for (int i = 0; i < kLargeFiles; ++i) {
    WriteBytes(src + "/CarDB/large" + std::to_string(i) + ".bin", kLargeSize, seed++);
    total += kLargeSize;
  }

  std::vector<double> ours, reference;
  for (int round = 0; round < kRounds; ++round) {
    std::string out_ours = root + "/card-ours", out_ref = root + "/card-ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    auto start = Clock::now();
    bool ok = kest::CopyFolderTree(src, out_ours);
    ours.push_back(Seconds(Clock::now() - start));
    ::sync();
    start = Clock::now();
    auto status = kest::platform::RunAndWait({"cp", "-r", src, out_ref});
    reference.push_back(Seconds(Clock::now() - start));
    if (!ok || !status || *status != 0 || !SameShape(out_ours, out_ref)) {
      std::fprintf(stderr, "bench_copy_tree: a copy failed or the copies differ\n");
      return 2;
    }
  }
  fs::remove_all(root);

  double ratio = Median(ours) / Median(reference);
  std::printf("copy_tree: %d small files in %d folders + %d large, %.0f MiB\n",
              kFolders * kFilesPerFolder, kFolders, kLargeFiles,
              static_cast<double>(total) / (1 << 20));
  std::printf("  CopyFolderTree: %.2f s   cp -r: %.2f s   (medians of %d)\n", Median(ours),
              Median(reference), kRounds);
  std::printf("  ratio %.3f (target <= %.2f): %s\n", ratio, kTarget,
              ratio <= kTarget ? "met" : "MISSED");
  return ratio <= kTarget ? 0 : 1;
}
