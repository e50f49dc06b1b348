#pragma once
// Real 7z archives and package containers, made at test time with the 7-Zip console tool
// (7za, from p7zip-full) and a small container writer. Reusable by every test folder.

#include <cstdint>
#include <string>
#include <vector>

namespace kest::test {

// The console tool used to make fixtures.
std::string SevenZaPath();

// Runs argv (no shell) in `folder` with `input` on standard input; returns the exit status.
// Standard output is discarded.
int RunIn(const std::string& folder, const std::vector<std::string>& argv,
          const std::string& input = {});

// Packs everything inside `folder` (not the folder itself) into `archive` (adding to it when
// it exists), paths relative to `folder`. `switches` go to 7za as they are (e.g. "-mx0",
// "-pSECRET", "-mhe=on", "-snl").
void Make7z(const std::string& archive, const std::string& folder,
            const std::vector<std::string>& switches = {});

// Packs the listed paths exactly as written, relative to `cwd` (7za -spf keeps "../x" and
// absolute paths): the way to make hostile archives.
void Make7zWithPaths(const std::string& archive, const std::string& cwd,
                     const std::vector<std::string>& paths);

// An archive whose single item has no stored path (packed from standard input).
void Make7zFromStdin(const std::string& archive, const std::string& content);

// Flips one byte in the middle of the first occurrence of `content` in `archive`: with a
// stored (-mx0) archive the item's CRC check then fails.
void DamageItemData(const std::string& archive, const std::string& content);

// A package container.
struct ContainerMember {
  std::string name;  // at most 23 bytes
  std::string data;
};
struct ContainerOptions {
  // Overrides of the written numbers, for damaged containers: empty means the true value.
  std::string directory_size_field;
  std::vector<std::string> size_fields;  // per member
  std::string name_prefix;                // e.g. "  " to test leading blanks
};
std::string ContainerBytes(const std::vector<ContainerMember>& members,
                           const ContainerOptions& options = {});
void WriteContainer(const std::string& path, const std::vector<ContainerMember>& members,
                    const ContainerOptions& options = {});

}  // namespace kest::test
