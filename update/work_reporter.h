#pragma once
// How the update engines talk to their front end (the expert page, or the `kest` command).
// Each call stands for one of the window messages of the product and returns only after the
// front end has handled it: the window program's reporters hop to the page's thread and wait,
// the command handles them on the calling thread. The engines pass the pause gate
// (WorkGate()) before every call (Report below), so a front end pauses a worker by closing the
// gate.
//
// No call may throw; the engines run on worker threads.

#include <cstdint>
#include <string>

#include "platform/work_control.h"

namespace kest {

// How an engine makes every reporter call: `Report([&] { reporter_.Progress(5); });`. Each
// report is a checkpoint of the pause gate, so a closed gate holds the worker before its next
// report reaches the front end.
template <typename Call>
void Report(Call&& call) {
  WorkGate().Pass();
  call();
}

class CKestCar;
class CKestProItem;

// What every engine reports.
class WorkReporter {
 public:
  virtual ~WorkReporter() = default;
  virtual void WorkStarted() = 0;    // 1234 to the main window: page switching is locked
  virtual void WorkFinished() = 0;   // 1235 to the main window: page switching is allowed
  virtual void WorkerEnded() = 0;    // 1033: the worker has ended
  virtual void StatusText(const std::string& text) = 0;  // 1134 with wParam 0
  // 1136 with wParam 0: the progress bar's position. 100 ends the front end's busy state.
  virtual void Progress(int percent) = 0;
};

// The update search: the records it builds, and the grid fill.
class SearchReporter : public WorkReporter {
 public:
  virtual void ProItemFound(const CKestProItem& item) = 0;  // 1139: append a copy
  virtual void CarFound(const CKestCar& car) = 0;           // 1135: append a copy
  // Direct calls on the page in the product: header clicks are ignored until the grid is
  // filled again, and the grid is filled from the catalogue (product items, then car kinds,
  // each row ticked when NeedsUpdate holds).
  virtual void ClearGridReady() = 0;
  virtual void FillGrid() = 0;
};

// Row states of the update run (1134 with wParam 1..7, the row in lParam).
enum class RowStatus : int {
  kDownloading = 1,
  kInstalling = 2,
  kCompleted = 3,
  kDownloadFailed = 4,
  kInstallFailed = 5,
  kInstallAborted = 6,
  kDownloadAborted = 7,
};
// The language-table key of a row state ("downloading", "installfail", ...).
const char* RowStatusKey(RowStatus status);
// Codes 4 to 7 set the front end's failure flag.
inline bool IsFailure(RowStatus status) { return static_cast<int>(status) >= 4; }

// The message the run shows at its end and waits for the user to close.
enum class ClosingMessage {
  kCompleted,          // "updatetaskcomplete": every handled row succeeded
  kPleaseRetry,        // "pleaseretry": a row failed
  kCardFolderNotSet,   // "sdpathnotset": no usable card folder, nothing was done
};
const char* ClosingMessageKey(ClosingMessage message);

// The update run.
class RunReporter : public WorkReporter {
 public:
  virtual void RowStatusChanged(int row, RowStatus status) = 0;  // 1134 with a row state
  // 1136 with wParam = rows done: the front end shows done * 100 / total (RunPercent).
  virtual void RowsDone(int done, int total) = 0;
  // 1225: not enough room on the card for the staged files of `row` (`pending_bytes` plus
  // kInstallMarginBytes are needed). The engine has closed the pause gate before this call and
  // waits at it afterwards: the front end tells the user, and opens the gate when the card has
  // room (RoomToResume) or stops the run (RequestStop).
  virtual void CardFull(int row, uint64_t pending_bytes) = 0;
  // Shows the closing message and returns when the user has closed it.
  virtual void ShowClosingMessage(ClosingMessage message) = 0;
};

// The position of a RowsDone report: done * 100 / total, integer division; 100 when there are
// no rows at all, so that even an empty run ends the busy state.
int RunPercent(int done, int total);

}  // namespace kest
