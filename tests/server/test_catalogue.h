#pragma once
// The catalogue the request-layer tests run against: accounts for every login outcome.
//
//   workshop1 / secret01       1001  identity 1  SN-A, SN-B   (SN-A offers EN and DE)
//   jürgen.müller / pässwört   1002  identity 1  SN-C         (SN-C offers FR only)
//   nosns01 / nosns01pw        1003  identity 1  no serial numbers
//   blocked1 / blocked1pw      1004  identity 1  SN-X, which is blocked: login answers -2
//   dealer01 / dealer01pw      2001  identity 2  SN-A, SN-B, SN-D
// packages/big.bin: `big_size` bytes of a repeating pattern, at "/files/packages/big.bin".

#include <cstddef>
#include <string>

#include "tests/support/temp_dir.h"

namespace kest::test {

inline std::string TestCatalogueJson() {
  return R"({
  "languages": [
    {"langID": "1", "name": "EN", "langname": "English"},
    {"langID": "2", "name": "DE", "langname": "Deutsch"},
    {"langID": "3", "name": "FR", "langname": "Français"}
  ],
  "members": [
    {"account": "workshop1", "password": "secret01", "memberID": 1001, "identity": 1,
     "phone": "030 1", "email": "w@example.com", "address": "Main St 1", "sns": ["SN-A", "SN-B"]},
    {"account": "jürgen.müller", "password": "pässwört", "memberID": 1002, "identity": 1,
     "sns": ["SN-C"]},
    {"account": "nosns01", "password": "nosns01pw", "memberID": 1003, "identity": 1, "sns": []},
    {"account": "blocked1", "password": "blocked1pw", "memberID": 1004, "identity": 1,
     "sns": ["SN-X"]},
    {"account": "dealer01", "password": "dealer01pw", "memberID": 2001, "identity": 2,
     "sns": ["SN-A", "SN-B", "SN-D"]}
  ],
  "serials": {
    "SN-A": {"languages": ["1", "2"]},
    "SN-C": {"languages": ["3"]},
    "SN-X": {"blocked": true}
  },
  "carKinds": [
    {"langID": "1", "carKindName": "Big", "path": "BIG",
     "versions": [{"version": "V1.0", "publishTime": "2019-01-01", "file": "packages/big.bin"}]}
  ]
})";
}

// Writes the catalogue and its one file into `folder`.
inline void WriteTestCatalogue(const std::string& folder, size_t big_size = 64 * 1024) {
  WriteFile(folder + "/catalogue.json", TestCatalogueJson());
  std::string big(big_size, '\0');
  for (size_t i = 0; i < big_size; ++i) big[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
  WriteFile(folder + "/packages/big.bin", big);
}

// A temporary folder holding the test catalogue, ready before the server member that uses it.
class TestCatalogueDir final {
 public:
  explicit TestCatalogueDir(size_t big_size = 64 * 1024) {
    WriteTestCatalogue(dir_.path(), big_size);
  }
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
};

}  // namespace kest::test
