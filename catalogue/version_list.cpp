#include "catalogue/version_list.h"

#include <algorithm>

namespace kest {

VersionList ReadVersions(const Json::Value& array) {
  VersionList versions;
  if (!array.isArray()) return versions;
  versions.reserve(array.size());
  for (const Json::Value& element : array) versions.emplace_back(element);
  return versions;
}

void SortNewestFirst(VersionList& versions) {
  std::sort(versions.begin(), versions.end(),
            [](const CKestVer& a, const CKestVer& b) { return a.IsNewerThan(b); });
}

std::string VersionText(const CKestVer& version) {
  return version.version + " | " + version.publishTime;
}

void ListVersionTexts(const VersionList& versions, std::vector<std::string>& out) {
  out.clear();
  for (const CKestVer& v : versions) out.push_back(VersionText(v));
}

CKestVer* FindVersion(VersionList& versions, std::string_view label) {
  for (CKestVer& v : versions) {
    if (v.version == label) return &v;
  }
  return nullptr;
}

const CKestVer* FindVersion(const VersionList& versions, std::string_view label) {
  for (const CKestVer& v : versions) {
    if (v.version == label) return &v;
  }
  return nullptr;
}

void MarkVersion(VersionList& versions, std::string_view label, int32_t value) {
  if (CKestVer* v = FindVersion(versions, label)) v->installedMark = value;
}

bool DownloadVersion(VersionList& versions, std::string_view label,
                     const std::string& fileName) {
  if (versions.empty()) return false;
  CKestVer* chosen = label.empty() ? &versions.front() : FindVersion(versions, label);
  return chosen && chosen->DownloadTo(fileName);
}

bool NewestIsNewer(const VersionList& server, const VersionList& local) {
  if (server.empty()) return false;
  return local.empty() || server.front().IsNewerThan(local.front());
}

}  // namespace kest
