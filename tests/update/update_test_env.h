#pragma once
// What the update engine tests share: a demo catalogue made with 7za for each test, the
// stand-in server on it, a logged-in session, a card folder of the test's own, TMPDIR of the
// test's own (staging folder, answer files, the 7-Zip files), and reporters that record every
// report as a line of text.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/kest_product.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"
#include "tools/update-server/demo_catalogue.h"
#include "update/grid_rows.h"
#include "update/update_run.h"
#include "update/work_reporter.h"

namespace kest::test {

// Every report as one line: "started", "finished", "ended", "text:<text>", "progress:<n>",
// "item:<name>", "car:<name>", "grid-cleared", "grid-filled", "row:<row>:<code>",
// "done:<done>/<total>", "full:<row>", "closing:<key>".
class RecordingReporter final : public SearchReporter, public RunReporter {
 public:
  std::vector<std::string> events;
  CKestProduct catalogue;  // what the search handed over
  std::function<void(int row, RowStatus status)> on_status;
  std::function<void(int row, uint64_t pending)> on_full;  // default: stop the run

  void WorkStarted() override { events.push_back("started"); }
  void WorkFinished() override { events.push_back("finished"); }
  void WorkerEnded() override { events.push_back("ended"); }
  void StatusText(const std::string& text) override { events.push_back("text:" + text); }
  void Progress(int percent) override { events.push_back("progress:" + std::to_string(percent)); }
  void ProItemFound(const CKestProItem& item) override;
  void CarFound(const CKestCar& car) override;
  void ClearGridReady() override { events.push_back("grid-cleared"); }
  void FillGrid() override { events.push_back("grid-filled"); }
  void RowStatusChanged(int row, RowStatus status) override;
  void RowsDone(int done, int total) override;
  void CardFull(int row, uint64_t pending) override;
  void ShowClosingMessage(ClosingMessage message) override;

  // The events that start with `prefix`.
  std::vector<std::string> Matching(const std::string& prefix) const;
};

class UpdateEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

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

  ScopedTmpDir tmp_;
  TempDir catalogue_{"kest-catalogue"};
  TempDir card_{"kest-card"};
  std::unique_ptr<UpdateServerFixture> server_;
};

}  // namespace kest::test
