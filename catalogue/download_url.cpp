#include "catalogue/download_url.h"

#include "platform/text.h"
#include "server/json_read.h"
#include "server/server_get.h"

namespace kest {

std::string GetDownloadUrl(const std::string& path, int32_t region) {
  ServerOutcome outcome =
      ServerGet(kGetDownloadUrlEndpoint, Format("path=%s&region=%d", path.c_str(), region));
  const Answer* answer = AsAnswer(outcome);
  if (!answer || answer->status != 0) return {};
  return json::ReadString(answer->root, "data");
}

}  // namespace kest
