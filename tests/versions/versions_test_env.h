#pragma once
// What the version engine tests share: the stand-in server on a small catalogue of car kinds
// (English: Audi AUDI, BMW BMW, Honda ASIA/HONDA, Citroën CITROEN; German: none), a logged-in
// session, a card folder and TMPDIR of the test's own, and a reporter that records every
// report as a line of text.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/kest_car.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"
#include "versions/version_reporter.h"

namespace kest::test {

// Every report as one line: "started", "finished", "ended", "text:<text>", "progress:<n>",
// "car:<name>", "grid-filled", "message:<text>", "row:<row>:<state>", "done:<index>/<rows>".
class VersionRecorder final : public ListingReporter, public DeleteReporter {
 public:
  std::vector<std::string> events;
  std::vector<CKestCar> cars;  // what the listing handed over
  std::function<void(int row, DeleteState state)> on_state;

  void WorkStarted() override { events.push_back("started"); }
  void WorkFinished() override { events.push_back("finished"); }
  void WorkerEnded() override { events.push_back("ended"); }
  void StatusText(const std::string& text) override { events.push_back("text:" + text); }
  void Progress(int percent) override { events.push_back("progress:" + std::to_string(percent)); }
  void CarFound(const CKestCar& car) override;
  void FillGrid() override { events.push_back("grid-filled"); }
  void ShowMessage(const std::string& text) override { events.push_back("message:" + text); }
  void RowStateChanged(int row, DeleteState state) override;
  void RowsDone(int index, int rows) override;

  // The events that start with `prefix`.
  std::vector<std::string> Matching(const std::string& prefix) const;
};

class VersionsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes a version folder with a data file: card_/<relative>/data.en.
  void MakeVersion(const std::string& relative);
  // A record as the listing builds it for the English list.
  static CKestCar Record(const std::string& name, const std::string& path);

  ScopedTmpDir tmp_;
  TempDir catalogue_{"kest-catalogue"};
  TempDir card_{"kest-card"};
  std::unique_ptr<UpdateServerFixture> server_;
};

}  // namespace kest::test
