#include "catalogue/kest_ver.h"

#include <unistd.h>
#include <utility>

#include "app/kest_helper_app.h"
#include "catalogue/download_url.h"
#include "catalogue/version_order.h"
#include "platform/text.h"
#include "server/http_get.h"
#include "server/json_read.h"

namespace kest {

CKestVer::CKestVer(const Json::Value& json)
    : version(json::ReadString(json, "version")),
      publishTime(json::ReadString(json, "publishTime")),
      path(json::ReadString(json, "path")) {}

CKestVer::CKestVer(std::string label) : version(std::move(label)) {}

bool CKestVer::IsNewerThan(const CKestVer& other) const {
  return VersionNumber(version) > VersionNumber(other.version);
}

bool CKestVer::DownloadTo(const std::string& fileName) {
  ::unlink(fileName.c_str());  // a leftover; a file that cannot go is truncated below
  downloadUrl = GetDownloadUrl(path, TheApp().session.region);
  if (downloadUrl.empty()) return false;
  std::string url = Contains(downloadUrl, "http") ? downloadUrl : "http://" + downloadUrl;
  return HttpGetToFile(url, fileName);
}

}  // namespace kest
