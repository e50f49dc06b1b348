#include "tests/update/update_test_env.h"

#include "app/kest_helper_app.h"
#include "catalogue/kest_car.h"
#include "catalogue/kest_pro_item.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "update/update_search.h"

namespace kest::test {

void RecordingReporter::ProItemFound(const CKestProItem& item) {
  events.push_back("item:" + item.name);
  catalogue.proItems.push_back(item);
}

void RecordingReporter::CarFound(const CKestCar& car) {
  events.push_back("car:" + car.carKindName);
  catalogue.cars.push_back(car);
}

void RecordingReporter::RowStatusChanged(int row, RowStatus status) {
  events.push_back(Format("row:%d:%d", row, static_cast<int>(status)));
  if (on_status) on_status(row, status);
}

void RecordingReporter::RowsDone(int done, int total) {
  events.push_back(Format("done:%d/%d", done, total));
}

void RecordingReporter::CardFull(int row, uint64_t pending) {
  events.push_back(Format("full:%d", row));
  if (on_full) {
    on_full(row, pending);
  } else {
    RequestStop();
  }
}

void RecordingReporter::ShowClosingMessage(ClosingMessage message) {
  events.push_back(std::string("closing:") + ClosingMessageKey(message));
}

demo::DemoOptions UpdateEngineTest::SmallDemo() {
  demo::DemoOptions options;
  options.carKinds = 3;
  options.versionsPerKind = 2;
  options.dataBytes = 2048;
  options.languages = {{"1", "EN", "English"}};
  return options;
}

void UpdateEngineTest::Start(const demo::DemoOptions& options, const std::string& card) {
  Status made = demo::MakeDemoCatalogue(catalogue_.path(), options);
  ASSERT_TRUE(made.ok()) << made.error().message;
  StartServerAndLogIn(card.empty() ? card_.path() : card);
  TheApp().session.packageLanguage = "EN";
}

CKestProduct UpdateEngineTest::Search() {
  RecordingReporter reporter;
  UpdateSearch(reporter, SearchInputs{"1", "EN"}).Run();
  return reporter.catalogue;
}

bool UpdateEngineTest::RunUpdate(CKestProduct& catalogue, std::vector<GridRow> rows,
                                 RecordingReporter& reporter) {
  ListedRows grid(std::move(rows));
  UpdateRun run(catalogue, grid, reporter, RunInputs{"EN"});
  run.Run();
  return run.AnyRowFailed();
}

size_t UpdateEngineTest::FileRequests(const std::string& file) const {
  size_t n = 0;
  for (const update_server::RequestRecord& r : server_->server().Requests()) {
    if (r.endpoint == "files" && EndsWith(r.target, file)) ++n;
  }
  return n;
}

std::string UpdateEngineTest::PackageOf(const std::string& kind_path,
                                        const std::string& version) const {
  return catalogue_ / ("packages/" + ToLowerAscii(kind_path) + "_" + version + "_en.7z");
}

}  // namespace kest::test
