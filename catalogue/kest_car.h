#pragma once
// A car kind: one vehicle brand's diagnostic data, kept on the card under
// CarDB/<path>/<version>/.

#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "catalogue/version_list.h"

namespace kest {

class CKestCar {
 public:
  CKestCar() = default;
  // Reads "path", "carKindName" and "carKindFiles" of one element of the car kind list,
  // sorts the server versions and scans the card for the local ones (ScanLocalVersions).
  CKestCar(std::string languageCode, const Json::Value& json);
  virtual ~CKestCar() = default;
  CKestCar(const CKestCar&) = default;
  CKestCar& operator=(const CKestCar&) = default;
  CKestCar(CKestCar&&) = default;
  CKestCar& operator=(CKestCar&&) = default;

  // Whether the row is ticked when the grid is built: the server offers a version, and the
  // card holds none or an older newest one.
  bool NeedsUpdate() const;
  void ListVersionTexts(std::vector<std::string>& out) const;
  void MarkVersion(std::string_view label, int32_t value);
  // The server offers `label` and the card holds it with the data of the session's language.
  bool IsVersionInstalled(std::string_view label) const;
  bool DownloadVersion(std::string_view label, const std::string& fileName);

  std::string languageCode;  // the data language of the page that built the record
  std::string carKindName;   // display name
  std::string path;          // the folder below CarDB/ on the card
  VersionList serverVersions;  // newest first
  VersionList localVersions;   // newest first
};

}  // namespace kest
