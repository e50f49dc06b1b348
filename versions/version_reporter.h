#pragma once
// How the version engines talk to their front end (the version page, or the `kest` command),
// in the manner of the update engines (update/work_reporter.h): each call stands for one
// window message of the product and returns only after the front end has handled it, and the
// engines pass the pause gate before every call (Report). No call may throw.

#include <string>

#include "update/work_reporter.h"

namespace kest {

class CKestCar;

// The listing: the records it finds and the grid built from them.
class ListingReporter : public WorkReporter {
 public:
  // 1135: a car kind with two versions or more on the card; append a copy to the car list.
  virtual void CarFound(const CKestCar& car) = 0;
  // A direct call on the page in the product (FillVersionGrid): the grid's rows are built
  // again from the car list, one per record in order (CellsForRecord).
  virtual void FillGrid() = 0;
  // The message box that says no kind has an older version ("notfindolder"); returns when
  // the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
};

// Row states of the deletion (1134 with wParam 1..3, the grid row in lParam).
enum class DeleteState : int {
  kDeleting = 1,  // "deleting": columns 1 to 4 black
  kDeleted = 2,   // "delcomplete": column 4 green; also when the folder was already gone
  kFailed = 3,    // "delfail": column 4 red
};
// The language-table key of a row state.
const char* DeleteStateKey(DeleteState state);

// The deletion. It sends neither WorkStarted nor Progress.
class DeleteReporter : public WorkReporter {
 public:
  virtual void RowStateChanged(int row, DeleteState state) = 0;  // 1134 with a row state
  // 1136 with wParam `index` (after the row of that index, counted from 0, and `rows` at the
  // end): the front end shows RunPercent(index, rows) on the progress bar and as
  // "<finishcout>:<n>%" in the status line; at 100 it ends its busy state and lists the card
  // again.
  virtual void RowsDone(int index, int rows) = 0;
};

}  // namespace kest
