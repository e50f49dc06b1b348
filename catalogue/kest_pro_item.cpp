#include "catalogue/kest_pro_item.h"

#include "server/json_read.h"

namespace kest {

std::atomic<int32_t> lastProductInfoID{0};

CKestProItem::CKestProItem(const Json::Value& json)
    : name(json::ReadString(json, "name")),
      productInfoID(json::ReadInt(json, "productInfoID")),
      serverVersions(ReadVersions(json::Member(json, "vers"))) {
  lastProductInfoID.store(json::ReadInt(json, "productInfoID"));
  SortNewestFirst(serverVersions);
}

bool CKestProItem::NeedsUpdate() const {
  if (name == "ecudata") return false;
  return NewestIsNewer(serverVersions, localVersions);
}

void CKestProItem::ListVersionTexts(std::vector<std::string>& out) const {
  kest::ListVersionTexts(serverVersions, out);
}

void CKestProItem::MarkVersion(std::string_view label, int32_t value) {
  kest::MarkVersion(serverVersions, label, value);
}

bool CKestProItem::IsVersionInstalled(std::string_view label) const {
  const CKestVer* version = FindVersion(serverVersions, label);
  return version != nullptr && version->installedMark != 0;
}

bool CKestProItem::DownloadVersion(std::string_view label, const std::string& fileName) {
  return kest::DownloadVersion(serverVersions, label, fileName);
}

}  // namespace kest
