// Installing a 1 GiB package container against writing its members out with standard tools
// (dd for plain members; dd and then `7za x` for the archive member), in the same run.
// Targets: the installation's peak memory stays under 64 MiB, and it takes at most 10% longer
// than the tools.
//
// The installation runs in a child process of its own (this program started again with
// --install), so that its peak resident size is the installation's alone. Each side runs three
// times (KEST_BENCH_RUNS), alternating, from a synced disk; the medians are compared.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/common/bench_support.h"
#include "install/package_install.h"
#include "resources/embedded_files.h"

namespace {

namespace fs = std::filesystem;
using namespace kest::bench;

constexpr double kTimeTarget = 1.10;
constexpr double kMemoryTargetMiB = 64;

struct Member {
  std::string name;
  uint64_t size;
};

void AppendFile(FILE* out, const std::string& path) {
  FILE* in = std::fopen(path.c_str(), "rb");
  std::vector<char> buffer(1 << 20);
  size_t n;
  while (in && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    std::fwrite(buffer.data(), 1, n, out);
  }
  if (in) std::fclose(in);
}

bool Run(const std::vector<std::string>& argv) { return RunChild(argv, {.quiet = true}).ok; }

// Child mode: the installation alone.
int InstallMode(const std::string& tool, const std::string& package, const std::string& out) {
  kest::SetSevenZipExePath(tool);
  return kest::Install7Z(package, out) == 1 ? 0 : 1;
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

  ScratchFolder root("kest-bench-container");
  if (!root.ok()) return 2;
  ::setenv("TMPDIR", root.path().c_str(), 1);
  kest::ExtractEmbeddedFiles();
  std::string tool = kest::SevenZipExePath();

  // The archive member: 400 MiB of mixed data, packed as the maker's packages are.
  fs::create_directories(root / "member-src");
  for (int i = 0; i < 4; ++i) {
    std::string table = root / ("member-src/table" + std::to_string(i) + ".db");
    if (!WriteMixedFile(table, 100u << 20, 77 + static_cast<uint64_t>(i))) return 2;
  }
  std::string member_archive = root / "member.7z";
  if (!Run({tool, "a", "-mx1", "-bso0", "-bsp0", member_archive, root / "member-src/*"})) {
    return 2;
  }
  fs::remove_all(root / "member-src");
  uint64_t archive_size = fs::file_size(member_archive);

  std::vector<Member> members = {{"upbase.exe", 4u << 20},
                                 {"map.dat", 410u << 20},
                                 {"voice.dat", 410u << 20},
                                 {"data_v20.7z", archive_size},
                                 {"config.txt", 4096}};
  std::string package = root / "package.bin";
  FILE* out = std::fopen(package.c_str(), "wb");
  if (!out) return 2;
  std::string directory;
  uint64_t seed = 1;
  for (const Member& m : members) {
    if (m.name == "data_v20.7z") {
      AppendFile(out, member_archive);
    } else {
      AppendMixedData(out, m.size, seed++);
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

  const int runs = RunsFromEnvironment(3);
  std::vector<double> ours, reference;
  double peak = 0;
  for (int run = 0; run < runs; ++run) {
    std::string out_ours = root / "ours", out_ref = root / "ref";
    fs::remove_all(out_ours);
    fs::remove_all(out_ref);
    ::sync();
    Timing install = RunChild({SelfPath(), "--install", tool, package, out_ours}, {.quiet = true});
    if (!install.ok) {
      std::fprintf(stderr, "bench_container: the installation failed\n");
      return 2;
    }
    ours.push_back(install.seconds);
    peak = std::max(peak, install.peak_mib);
    ::sync();
    Timing tools =
        TimeCall([&] { return ReferenceInstall(package, members, out_ref, root / "scratch.7z"); });
    if (!tools.ok) {
      std::fprintf(stderr, "bench_container: the reference failed\n");
      return 2;
    }
    reference.push_back(tools.seconds);
  }
  if (!SameTree(root / "ours", root / "ref")) {
    std::fprintf(stderr, "bench_container: the installation differs from the tools' result\n");
    return 2;
  }

  std::printf("container: %.0f MiB package, %zu members (one 7z archive)\n", package_mib,
              members.size());
  bool fast = PrintMedians("Install7Z", ours, "dd + 7za", reference, kTimeTarget);
  bool small = PrintBelow("peak memory of Install7Z", peak, "MiB", kMemoryTargetMiB);
  return fast && small ? 0 : 1;
}
