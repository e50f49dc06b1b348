#pragma once
// What the tests of the engines (update search and run, version listing and deletion) share:
// a fixture with the process state that start-up and the front ends set up, the stand-in
// server with a logged-in session, and a reporter base that records every report as a line.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/update_server_fixture.h"

namespace kest::test {

// The events that start with `prefix`, in order.
std::vector<std::string> MatchingEvents(const std::vector<std::string>& events,
                                        const std::string& prefix);

// Records the reports that every engine makes as lines in `events`: "started", "finished",
// "ended", "text:<text>", "progress:<n>". `Reporters` are the engine's reporter interfaces
// (each a WorkReporter); the test's recorder adds their own reports.
template <typename... Reporters>
class WorkEventRecorder : public Reporters... {
 public:
  std::vector<std::string> events;

  void WorkStarted() override { events.push_back("started"); }
  void WorkFinished() override { events.push_back("finished"); }
  void WorkerEnded() override { events.push_back("ended"); }
  void StatusText(const std::string& text) override { events.push_back("text:" + text); }
  void Progress(int percent) override { events.push_back("progress:" + std::to_string(percent)); }

  std::vector<std::string> Matching(const std::string& prefix) const {
    return MatchingEvents(events, prefix);
  }
};

// Before each test, the embedded files and the English table as start-up makes them; before
// and after, the stop flag clear and the pause gate open. TMPDIR (staging folder, answer
// files, the 7-Zip files), a catalogue folder and a card folder are the test's own.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the stand-in on catalogue_, logs in as workshop1 and makes `card` the card folder.
  void StartServerAndLogIn(const std::string& card);

  ScopedTmpDir tmp_;
  TempDir catalogue_{"kest-catalogue"};
  TempDir card_{"kest-card"};
  std::unique_ptr<UpdateServerFixture> server_;
};

}  // namespace kest::test
