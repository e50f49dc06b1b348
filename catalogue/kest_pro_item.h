#pragma once
// A product item: one of the scanner's own packages (system programs and the like), laid out
// under the card's sys/ folder. The card keeps no record of its version: an item counts as
// installed only once the update run has installed it since the catalogue was filled.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "catalogue/version_list.h"

namespace kest {

// The "productInfoID" of the last product item built from an answer; the update run sends it
// with the menu configuration request. Process-wide, safe from any thread.
extern std::atomic<int32_t> lastProductInfoID;

class CKestProItem {
 public:
  CKestProItem() = default;
  // Reads "name", "productInfoID" (also into lastProductInfoID) and "vers", and sorts the
  // versions.
  explicit CKestProItem(const Json::Value& json);
  virtual ~CKestProItem() = default;
  CKestProItem(const CKestProItem&) = default;
  CKestProItem& operator=(const CKestProItem&) = default;
  CKestProItem(CKestProItem&&) = default;
  CKestProItem& operator=(CKestProItem&&) = default;

  // Ticked whenever a version is offered, except for the item named exactly "ecudata".
  bool NeedsUpdate() const;
  void ListVersionTexts(std::vector<std::string>& out) const;
  void MarkVersion(std::string_view label, int32_t value);
  // The first server version equal to `label` exists and is marked installed.
  bool IsVersionInstalled(std::string_view label) const;
  bool DownloadVersion(std::string_view label, const std::string& fileName);

  std::string name;
  std::string pathText;  // always empty: the grid's path column
  int32_t productInfoID = 0;
  VersionList serverVersions;  // newest first
  VersionList localVersions;   // always empty
};

}  // namespace kest
