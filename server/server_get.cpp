#include "server/server_get.h"

#include <unistd.h>

#include "platform/debug_trace.h"
#include "platform/temp_files.h"
#include "platform/text.h"
#include "server/http_get.h"
#include "server/json_read.h"
#include "settings/option_file.h"

namespace kest {
namespace {

// The language list carries its status in "reader"; every other answer in "code".
std::string_view StatusMember(std::string_view path) {
  return path == kListLangEndpoint.path ? "reader" : "code";
}

// Removes the answer file when the request ends, whichever way it ends.
class AnswerFile final {
 public:
  explicit AnswerFile(std::string_view prefix)
      : path_(platform::CreateUniqueTempFile(platform::TempFolder(), prefix)) {}
  ~AnswerFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  AnswerFile(const AnswerFile&) = delete;
  AnswerFile& operator=(const AnswerFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

std::string BuildRequestUrl(std::string_view path, std::string_view query) {
  std::string url = GetServerUrl();
  url += path;
  url += query;
  if (!Contains(url, "http")) url.insert(0, "http://");
  return url;
}

bool AnswerArrived(const ServerOutcome& outcome) {
  if (std::holds_alternative<Answer>(outcome)) return true;
  return std::get<NoAnswer>(outcome).reason == NoAnswerReason::NotJson;
}

ServerOutcome ServerGet(std::string_view path, std::string_view query, std::string_view prefix) {
  std::string url = BuildRequestUrl(path, query);
  AnswerFile file(prefix);
  if (file.path().empty()) return NoAnswer{NoAnswerReason::TransportFailed};

  HttpGetResult got = HttpGetToFileBounded(url, file.path(), kMaxAnswerBytes);
  if (got == HttpGetResult::kFailed) return NoAnswer{NoAnswerReason::TransportFailed};
  if (got == HttpGetResult::kTooLarge) {
    KEST_TRACE("ServerGet %s: answer above %llu bytes refused\r\n", url.c_str(),
               static_cast<unsigned long long>(kMaxAnswerBytes));
    return NoAnswer{NoAnswerReason::NotJson};
  }

  Expected<Json::Value> root = json::ParseFile(file.path());
  if (!root) {
    return NoAnswer{root.error().code == 0 ? NoAnswerReason::NotJson
                                           : NoAnswerReason::AnswerUnreadable};
  }
  if (!root->isObject()) return NoAnswer{NoAnswerReason::NotJson};
  const Json::Value& status = json::Member(*root, StatusMember(path));
  // A missing status means success; one that is there but no integer ("0" as text, a list)
  // makes the whole answer unusable rather than silently successful.
  if (!status.isNull() && !json::IsInt32(status)) return NoAnswer{NoAnswerReason::NotJson};
  return Answer{std::move(root).value(), json::AsInt(status)};
}

}  // namespace kest
