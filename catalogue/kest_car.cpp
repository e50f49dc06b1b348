#include "catalogue/kest_car.h"

#include <utility>

#include "catalogue/card_layout.h"
#include "server/json_read.h"

namespace kest {

CKestCar::CKestCar(std::string languageCode, const Json::Value& json)
    : languageCode(std::move(languageCode)),
      carKindName(json::ReadString(json, "carKindName")),
      path(json::ReadString(json, "path")),
      serverVersions(ReadVersions(json::Member(json, "carKindFiles"))) {
  SortNewestFirst(serverVersions);
  ScanLocalVersions(*this);
}

bool CKestCar::NeedsUpdate() const { return NewestIsNewer(serverVersions, localVersions); }

void CKestCar::ListVersionTexts(std::vector<std::string>& out) const {
  kest::ListVersionTexts(serverVersions, out);
}

void CKestCar::MarkVersion(std::string_view label, int32_t value) {
  kest::MarkVersion(serverVersions, label, value);
}

bool CKestCar::IsVersionInstalled(std::string_view label) const {
  return FindVersion(serverVersions, label) != nullptr && IsVersionOnCard(*this, label);
}

bool CKestCar::DownloadVersion(std::string_view label, const std::string& fileName) {
  return kest::DownloadVersion(serverVersions, label, fileName);
}

}  // namespace kest
