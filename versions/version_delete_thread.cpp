#include "versions/version_delete_thread.h"

#include "platform/work_control.h"
#include "settings/language_table.h"
#include "versions/version_folder.h"

namespace kest {

const char* DeleteStateKey(DeleteState state) {
  switch (state) {
    case DeleteState::kDeleting:
      return "deleting";
    case DeleteState::kDeleted:
      return "delcomplete";
    case DeleteState::kFailed:
      return "delfail";
  }
  return "";
}

VersionDeleteThread::VersionDeleteThread(std::vector<CKestCar> cars, VersionRows& rows,
                                         DeleteReporter& reporter)
    : cars_(std::move(cars)), rows_(rows), reporter_(reporter) {
  for (size_t i = 0; i < cars_.size(); ++i) {
    selected_.push_back(rows_.IsTicked(static_cast<int>(i) + 1));
  }
}

void VersionDeleteThread::Run() {
  const int n = static_cast<int>(cars_.size());
  for (int i = 0; i < n && StopFlag() == 0; ++i) {
    if (!selected_[static_cast<size_t>(i)]) continue;
    const int row = i + 1;
    Report([&] { reporter_.RowStateChanged(row, DeleteState::kDeleting); });
    const std::string version = rows_.ChosenVersion(row);
    const bool failed = DeleteCarVersion(cars_[static_cast<size_t>(i)], version) != 0;
    if (failed) failed_ = true;
    Report([&] {
      reporter_.RowStateChanged(row, failed ? DeleteState::kFailed : DeleteState::kDeleted);
    });
    Report([&] { reporter_.RowsDone(i, n); });
  }
  Report([&] { reporter_.StatusText(GetLangString("delcomplete")); });
  Report([&] { reporter_.RowsDone(n, n); });
  Report([&] { reporter_.WorkerEnded(); });
  Report([&] { reporter_.WorkFinished(); });
}

}  // namespace kest
