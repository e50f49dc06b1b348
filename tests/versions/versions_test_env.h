#pragma once
// What the version engine tests share: the stand-in server on a small catalogue of car kinds
// (English: Audi AUDI, BMW BMW, Honda ASIA/HONDA, Citroën CITROEN; German: none), a logged-in
// session and the folders of the engine tests (tests/support/engine_test.h), and a reporter
// that records every report as a line of text.

#include <functional>
#include <string>
#include <vector>

#include "catalogue/kest_car.h"
#include "tests/support/engine_test.h"
#include "versions/version_reporter.h"

namespace kest::test {

// Every report as one line: "started", "finished", "ended", "text:<text>", "progress:<n>",
// "car:<name>", "grid-filled", "message:<text>", "row:<row>:<state>", "done:<index>/<rows>".
class VersionRecorder final : public WorkEventRecorder<ListingReporter, DeleteReporter> {
 public:
  std::vector<CKestCar> cars;  // what the listing handed over
  std::function<void(int row, DeleteState state)> on_state;

  void CarFound(const CKestCar& car) override;
  void FillGrid() override { events.push_back("grid-filled"); }
  void ShowMessage(const std::string& text) override { events.push_back("message:" + text); }
  void RowStateChanged(int row, DeleteState state) override;
  void RowsDone(int index, int rows) override;
};

class VersionsTest : public EngineTest {
 protected:
  void SetUp() override;

  // Makes a version folder with a data file: card_/<relative>/data.en.
  void MakeVersion(const std::string& relative);
  // A record as the listing builds it for the English list.
  static CKestCar Record(const std::string& name, const std::string& path);
};

}  // namespace kest::test
