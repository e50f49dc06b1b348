#include "update/work_reporter.h"

namespace kest {

const char* RowStatusKey(RowStatus status) {
  switch (status) {
    case RowStatus::kDownloading:
      return "downloading";
    case RowStatus::kInstalling:
      return "installing";
    case RowStatus::kCompleted:
      return "upgragecomplete";
    case RowStatus::kDownloadFailed:
      return "downloadfail";
    case RowStatus::kInstallFailed:
      return "installfail";
    case RowStatus::kInstallAborted:
      return "installabort";
    case RowStatus::kDownloadAborted:
      return "downloadabort";
  }
  return "";
}

const char* ClosingMessageKey(ClosingMessage message) {
  switch (message) {
    case ClosingMessage::kCompleted:
      return "updatetaskcomplete";
    case ClosingMessage::kPleaseRetry:
      return "pleaseretry";
    case ClosingMessage::kCardFolderNotSet:
      return "sdpathnotset";
  }
  return "";
}

int RunPercent(int done, int total) {
  if (total <= 0) return 100;
  return static_cast<int>(static_cast<int64_t>(done) * 100 / total);
}

}  // namespace kest
