#pragma once
// What the update engine tests share: a demo catalogue made with 7za for each test, the
// stand-in server on it, a logged-in session and the folders of the engine tests
// (tests/support/engine_test.h), and a reporter that records every report as a line of text.

#include <functional>
#include <string>
#include <vector>

#include "catalogue/kest_product.h"
#include "tests/support/engine_test.h"
#include "tools/update-server/demo_catalogue.h"
#include "update/grid_rows.h"
#include "update/update_run.h"
#include "update/work_reporter.h"

namespace kest::test {

// Every report as one line: "started", "finished", "ended", "text:<text>", "progress:<n>",
// "item:<name>", "car:<name>", "grid-cleared", "grid-filled", "row:<row>:<code>",
// "done:<done>/<total>", "full:<row>", "closing:<key>".
class RecordingReporter final : public WorkEventRecorder<SearchReporter, RunReporter> {
 public:
  CKestProduct catalogue;  // what the search handed over
  std::function<void(int row, RowStatus status)> on_status;
  std::function<void(int row, uint64_t pending)> on_full;  // default: stop the run

  void ProItemFound(const CKestProItem& item) override;
  void CarFound(const CKestCar& car) override;
  void ClearGridReady() override { events.push_back("grid-cleared"); }
  void FillGrid() override { events.push_back("grid-filled"); }
  void RowStatusChanged(int row, RowStatus status) override;
  void RowsDone(int done, int total) override;
  void CardFull(int row, uint64_t pending) override;
  void ShowClosingMessage(ClosingMessage message) override;
};

class UpdateEngineTest : public EngineTest {
 protected:
  // A small catalogue: car kinds Audi (AUDI), BMW, Citroën (CITROEN), versions V<n>.10 and
  // V<n>.20, English only, with the product items ecudata, firmware and system.
  static demo::DemoOptions SmallDemo();
  // Makes the catalogue, starts the server, logs in as workshop1 and points the card folder at
  // `card` (default: card_).
  void Start(const demo::DemoOptions& options = SmallDemo(), const std::string& card = {});

  CKestProduct Search();
  // Runs the update over `rows` on `catalogue`; the events land in `reporter`. True when the
  // run saw a row fail.
  bool RunUpdate(CKestProduct& catalogue, std::vector<GridRow> rows, RecordingReporter& reporter);
  // Requests for one served file.
  size_t FileRequests(const std::string& file) const;
  // The package file of a car kind version in the catalogue folder.
  std::string PackageOf(const std::string& kind_path, const std::string& version) const;
};

}  // namespace kest::test
