#include "update/run_requests.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/card_path.h"
#include "install/item_path.h"
#include "platform/debug_trace.h"
#include "platform/text.h"
#include "server/http_get.h"
#include "server/json_read.h"
#include "server/server_get.h"
#include "update/staged_file.h"
#include "update/staging_folder.h"

namespace kest {
namespace {

bool FirstLineMentionsEncoding(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return false;
  return Contains(line, "encoding");
}

// The staging folder itself, made when missing; it must be a real folder.
bool MakeStagingFolder() {
  std::string staging = StagingFolder();
  ::mkdir(staging.c_str(), 0777);
  return IsRealFolder(staging.substr(0, staging.size() - 1));
}

}  // namespace

bool FetchMenuConfig(int32_t region, int32_t productInfoID, const std::string& code) {
  if (!IsPlainFileName(code)) return false;
  std::string query =
      Format("productInfoID=%d&region=%d&lang=%s", productInfoID, region, code.c_str());
  std::string address;
  ServerOutcome outcome = ServerGet(kGetMenuConfigEndpoint, query);
  if (const Answer* answer = AsAnswer(outcome)) {
    if (answer->status != 0) return false;
    address = json::ReadString(answer->root, "data");
  } else {
    address = BuildRequestUrl(kGetMenuConfigEndpoint.path, query);
  }
  if (!Contains(address, "http")) address = "http://" + Trim(address);

  if (!MakeStagingFolder()) return false;
  // Into the package's own "sys" folder however it spells it, so the card gets one.
  std::string sys =
      FindEntryIgnoringCase(StagingFolder(), "sys", EntryKind::kFolder).value_or("sys");
  std::string target = PrepareStagedFile(StagingFolder(), {sys, code, "config.xml"});
  if (target.empty()) return false;
  if (HttpDownloadFile(address, target) && FirstLineMentionsEncoding(target)) return true;
  // The staged tree is copied onto the card even when this fails: a fragment or an error
  // page left here would replace the scanner's working configuration.
  ::unlink(target.c_str());
  return false;
}

bool FetchCustomFiles(const std::string& serial, int32_t region) {
  std::string query = Format("sn=%s&region=%d", serial.c_str(), region);
  ServerOutcome outcome = ServerGet(kDownCustomEndpoint, query);
  const Answer* answer = AsAnswer(outcome);
  if (!answer || answer->status != 0) return false;
  const Json::Value& data = json::Member(answer->root, "data");
  if (!data.isObject() || !MakeStagingFolder()) return false;

  bool all = true;
  for (const std::string& key : data.getMemberNames()) {  // ascending key order
    std::string target;
    if (IsSafeItemPath(key)) target = PrepareStagedFile(StagingFolder(), SplitItemPath(key));
    if (target.empty()) {
      KEST_TRACE("FetchCustomFiles: %s skipped\r\n", PrintablePath(key).c_str());
      all = false;
      continue;
    }
    // The address is used as the server gives it. A transfer cut short, or an error page in
    // place of the file, leaves nothing to be copied over the card's own copy of the file.
    if (!HttpDownloadFile(json::AsString(json::Member(data, key)), target)) {
      ::unlink(target.c_str());
      all = false;
    }
  }
  return all;
}

}  // namespace kest
