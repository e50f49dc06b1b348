#pragma once
// The update search: asks the server what it offers for the session's scanner (currentSerial)
// in one data language, builds the catalogue records (each car kind scans the card for its
// local versions) and hands them to the front end, which fills its grid.

#include <string>

#include "update/work_reporter.h"

namespace kest {

class CKestProduct;

struct SearchInputs {
  std::string languageId;    // "langID" of the chosen package language, sent as langId
  std::string languageCode;  // its "name" ("EN"), stored in every car kind record
};

enum class SearchOutcome {
  kReady,            // the car kind list arrived ("beready")
  kWebAccessFailed,  // it did not, or was refused ("expressxmlerror")
};

class UpdateSearch final {
 public:
  UpdateSearch(SearchReporter& reporter, SearchInputs inputs)
      : reporter_(reporter), inputs_(std::move(inputs)) {}

  // Runs the whole search on the calling thread (the front end's worker) and reports as it
  // goes. Reads token, currentSerial and region of TheApp().session when it starts; the front
  // end keeps them unchanged meanwhile.
  //
  // Reports: WorkStarted, ClearGridReady, Progress 0, the "searching" text, Progress 5; per
  // product item ProItemFound, a "Processing:<name>" text and Progress 6 + 8 * i / n; per car
  // kind CarFound and its text; then FillGrid and either "Ready", Progress 100, WorkFinished,
  // or "Web access failed", WorkFinished, WorkerEnded, Progress 100.
  SearchOutcome Run();

 private:
  void FetchProductItems();
  bool FetchCarKinds();

  SearchReporter& reporter_;
  SearchInputs inputs_;
  std::string token_;
  std::string serial_;
  int region_ = 0;
};

// The search reporter of a front end without a grid (the `kest` command, the benchmarks): it
// appends copies of the records to `catalogue`, as the page does, and ignores the rest.
class CatalogueCollector final : public SearchReporter {
 public:
  explicit CatalogueCollector(CKestProduct& catalogue) : catalogue_(catalogue) {}
  void WorkStarted() override {}
  void WorkFinished() override {}
  void WorkerEnded() override {}
  void StatusText(const std::string&) override {}
  void Progress(int) override {}
  void ProItemFound(const CKestProItem& item) override;
  void CarFound(const CKestCar& car) override;
  void ClearGridReady() override {}
  void FillGrid() override {}

 private:
  CKestProduct& catalogue_;
};

}  // namespace kest
