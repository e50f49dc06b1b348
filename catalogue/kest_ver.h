#pragma once
// One version of one package, as the server offers it or as a folder on the card holds it.

#include <cstdint>
#include <string>

#include <json/value.h>

namespace kest {

class CKestVer {
 public:
  CKestVer() = default;
  // From one element of a version array: "version", "path" and "publishTime"; a missing key
  // (or an element that is no object) gives empty strings.
  explicit CKestVer(const Json::Value& json);
  // From a bare label (a folder name on the card); every other field empty.
  explicit CKestVer(std::string label);
  explicit CKestVer(const char* label) : CKestVer(std::string(label)) {}
  virtual ~CKestVer() = default;
  CKestVer(const CKestVer&) = default;
  CKestVer& operator=(const CKestVer&) = default;
  CKestVer(CKestVer&&) = default;
  CKestVer& operator=(CKestVer&&) = default;

  // True when this label's number (VersionNumber) is strictly greater than the other's.
  bool IsNewerThan(const CKestVer& other) const;

  // Downloads this version's package into `fileName`: an existing file is deleted first,
  // `downloadUrl` becomes the server's address for `path` (GetDownloadUrl, with the session's
  // region), and the package is fetched there ("http://" put in front of an address without
  // "http"). False when the server gave no address or the fetch failed.
  bool DownloadTo(const std::string& fileName);

  std::string version;      // the label, e.g. "V10.15"
  std::string downloadUrl;  // filled by DownloadTo
  std::string publishTime;  // shown after the label in the version selector
  std::string path;         // the server's identifier of the package
  int32_t installedMark = 0;  // 1 once the update run has installed this version
};

}  // namespace kest
