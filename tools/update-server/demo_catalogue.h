#pragma once
// The demo catalogue: a catalogue folder for kest-update-server with real packages made by the
// 7-Zip tool (7za), for the demo (scripts/run), the tests and the benchmarks.
//
//   car kinds     CarDB/<path>/<version>/data.<code> (+ menu.txt), one package per kind,
//                 version and language; one kind sits in a nested path ("ASIA/HONDA")
//   product items sys/<name>/..., among them "firmware" as a package container
//                 (upbase.exe, an archive member, a plain member) and "system" last, whose
//                 productInfoID (7) has menu configurations in every language
//   custom files  sys/custom/dealer.ini for the scanner KS0100001
//   accounts      workshop1 / secret01 (KS0100001, KS0100002), dealer01 / dealer01pw (dealer)
//
// The size of a car kind's data file is a parameter: tiny for tests, 50 MiB for benchmarks.
// Data is pseudo-random, so a package is as large as its data whatever 7-Zip does with it.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/expected.h"

namespace kest::demo {

struct DemoLanguage {
  std::string langID;    // "1"
  std::string name;      // "EN": the code the program uses
  std::string langname;  // "English"
};

struct DemoOptions {
  int carKinds = 6;
  int versionsPerKind = 3;           // 1..9: V<n>.10, V<n>.20, ...
  uint64_t dataBytes = 16 * 1024;    // each car kind package's data file
  std::vector<DemoLanguage> languages = {{"1", "EN", "English"}, {"2", "DE", "Deutsch"}};
  bool productItems = true;
};

struct DemoCarKind {
  std::string name;  // "Audi"
  std::string path;  // "AUDI", "ASIA/HONDA"
};

// The car kinds of a demo catalogue with `count` kinds, in catalogue order.
std::vector<DemoCarKind> DemoCarKinds(int count);
// The version labels of every car kind, oldest first ("V5.10", "V5.20", ...).
std::vector<std::string> DemoVersions(int kind_index, int count);

// Writes folder/catalogue.json and every file it names (the folder is made when missing).
Status MakeDemoCatalogue(const std::string& folder, const DemoOptions& options);

// A card that holds some older versions of the catalogue's car kinds (data files of the first
// language): the first kind at its oldest version, the second at its newest, the third at its
// oldest and its middle one; the others are missing. `folder` must not exist or be empty, or be
// a card made here before (it holds ".kest-demo-card"), which is then emptied first.
Status MakeDemoCard(const std::string& folder, const DemoOptions& options);

// Building blocks, also for tests that need a package of their own.
// A 7z archive of `items` (files or folders, stored under their own names) made by 7za.
Status Pack7z(const std::string& archive, const std::vector<std::string>& items);
// A car kind package: CarDB/<path>/<version>/data.<code> of `data_bytes` bytes (left out when
// `with_data_file` is false, as in a package made for another language) and menu.txt.
Status MakeCarKindPackage(const std::string& archive, const std::string& path,
                          const std::string& version, const std::string& code,
                          uint64_t data_bytes, bool with_data_file = true);

struct ContainerMember {
  std::string name;  // at most 23 bytes
  std::string data;
};
// A package container: the members' data, a 32-byte directory entry per member (size, name)
// and the 40-byte trailer (directory size and three fields installation does not read).
Status WriteContainer(const std::string& path, const std::vector<ContainerMember>& members);

}  // namespace kest::demo
