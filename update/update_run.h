#pragma once
// The update run: installs, row after row in grid order, the version chosen in every ticked
// row: asks for the package's address, downloads it, unpacks it into the staging folder,
// checks it and copies it onto the card; system programs also get the card's language files,
// the menu configuration, the scanner's custom files and the update log.
//
// Per row the front end sees RowStatusChanged(row, Downloading), then Installing (a car kind
// once per attempt and once after them), then the outcome, then RowsDone(rows before this one)
// - except after a failed download, which ends the row with Download failed (or aborted) and
// no RowsDone. Unticked rows report nothing but count as done.
//
// A car kind is tried up to five times (download, unpack, room check, copy, check); a failed
// download ends the row at once. Before copying, the card must have the staged size plus
// kInstallMarginBytes free; otherwise the run closes the pause gate, reports CardFull and waits
// at the gate until the front end opens it.
//
// Stopping: the stop flag is read before every row and before every further attempt; a stop
// that arrives while the run waits for room ends that row as aborted without copying.

#include <atomic>
#include <cstdint>
#include <string>

#include "update/grid_rows.h"
#include "update/work_reporter.h"

namespace kest {

class CKestCar;
class CKestProItem;
class CKestProduct;

inline constexpr int kCarKindAttempts = 5;

struct RunInputs {
  std::string languageCode;  // the front end's data language code ("EN"); sys/lang.dat gets
                             // it in upper case, the menu configuration request in lower case
};

class UpdateRun final {
 public:
  // The catalogue and the rows belong to the front end, which keeps both unchanged while the
  // run lasts; the run writes only the versions' installedMark.
  UpdateRun(CKestProduct& catalogue, GridRows& rows, RunReporter& reporter, RunInputs inputs)
      : catalogue_(catalogue), rows_(rows), reporter_(reporter), inputs_(std::move(inputs)) {}

  // Runs the whole update on the calling thread (the front end's worker). Reads the card
  // folder, and currentSerial and region of TheApp().session, when it starts; IsVersionOnCard
  // reads packageLanguage, which the front end sets to the language code before it starts.
  //
  // A card folder of two characters or fewer (none chosen) does nothing: the run shows
  // "SD path not set", reports RowsDone(total, total), WorkerEnded and WorkFinished.
  void Run();

  // For the front end, readable from any thread while the run lasts.
  int CurrentRow() const { return current_row_.load(); }
  uint64_t PendingInstallSize() const { return pending_bytes_.load(); }
  bool AnyRowFailed() const { return failed_.load(); }

 private:
  void HandleRow(int row, const GridRow& cells, int done);
  void RunCarRow(int row, CKestCar& car, const std::string& label, int done);
  bool InstallCarAttempt(int row, CKestCar& car, const std::string& label,
                         const std::string& archive);
  void RunItemRow(int row, CKestProItem& item, const std::string& label, int done);
  bool CompleteItem(CKestProItem& item, const std::string& label);
  CKestCar* FindCar(const GridRow& cells);
  CKestProItem* FindItem(const GridRow& cells);
  void SetStatus(int row, RowStatus status);
  void EndRow(int row, RowStatus outcome, int done, const std::string& archive);

  CKestProduct& catalogue_;
  GridRows& rows_;
  RunReporter& reporter_;
  RunInputs inputs_;
  std::string card_;
  std::string serial_;
  int32_t region_ = 0;
  int total_ = 0;

  std::atomic<int> current_row_{0};
  std::atomic<uint64_t> pending_bytes_{0};
  std::atomic<bool> failed_{false};
};

}  // namespace kest
