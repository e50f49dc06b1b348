#pragma once
// What car kinds and product items do alike with their lists of versions.

#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "catalogue/kest_ver.h"

namespace kest {

using VersionList = std::vector<CKestVer>;

// One CKestVer per element of a JSON array (nothing for a missing or non-array value).
VersionList ReadVersions(const Json::Value& array);

// Newest first (IsNewerThan); the order of equal versions is not defined.
void SortNewestFirst(VersionList& versions);

// "<version> | <publishTime>" per version, in list order; `out` is cleared first.
void ListVersionTexts(const VersionList& versions, std::vector<std::string>& out);
std::string VersionText(const CKestVer& version);

// The first version whose label equals `label` character for character, or nullptr.
CKestVer* FindVersion(VersionList& versions, std::string_view label);
const CKestVer* FindVersion(const VersionList& versions, std::string_view label);

// Sets installedMark of the first version equal to `label`; nothing when none is.
void MarkVersion(VersionList& versions, std::string_view label, int32_t value);

// Downloads the newest version (empty label) or the first one equal to `label` into
// `fileName`. False for an empty list, a label that matches nothing, or a failed download.
bool DownloadVersion(VersionList& versions, std::string_view label, const std::string& fileName);

// The rule that ticks a row: versions on offer, and none on the card or the newest offered
// newer than the newest on the card.
bool NewestIsNewer(const VersionList& server, const VersionList& local);

}  // namespace kest
