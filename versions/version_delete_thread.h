#pragma once
// The version deletion: for every ticked row of the version grid, deletes the version of the
// row's car kind that its drop-down list names (DeleteCarVersion), and reports each row's
// state. Nothing protects the newest version: whichever version the row names is deleted.

#include <atomic>
#include <vector>

#include "catalogue/kest_car.h"
#include "versions/version_reporter.h"
#include "versions/version_rows.h"

namespace kest {

class VersionDeleteThread final {
 public:
  // Copies the car list and the check box of every row (row i + 1 for record i), as pressing
  // the delete button does; call it on the front end's thread before the worker starts. The
  // copy lets the front end rebuild its list (a refresh after a stop) while the last row is
  // still being deleted.
  VersionDeleteThread(std::vector<CKestCar> cars, VersionRows& rows, DeleteReporter& reporter);

  // Runs the deletion on the calling thread (the front end's worker). Before each record it
  // reads the stop flag and ends the loop when it is set. Per ticked row: RowStateChanged
  // Deleting, the row's chosen version is read, then Deleted or Failed, then RowsDone(i, n);
  // unticked rows report nothing. At the end, stopped or not: the "delcomplete" text,
  // RowsDone(n, n), WorkerEnded, WorkFinished.
  void Run();

  // Readable from any thread while the deletion lasts.
  bool AnyRowFailed() const { return failed_.load(); }

 private:
  std::vector<CKestCar> cars_;
  std::vector<bool> selected_;
  VersionRows& rows_;
  DeleteReporter& reporter_;
  std::atomic<bool> failed_{false};
};

}  // namespace kest
