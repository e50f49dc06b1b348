#include "tests/versions/versions_test_env.h"

#include "platform/text.h"

namespace kest::test {

void VersionRecorder::CarFound(const CKestCar& car) {
  events.push_back("car:" + car.carKindName);
  cars.push_back(car);
}

void VersionRecorder::RowStateChanged(int row, DeleteState state) {
  events.push_back(Format("row:%d:%d", row, static_cast<int>(state)));
  if (on_state) on_state(row, state);
}

void VersionRecorder::RowsDone(int index, int rows) {
  events.push_back(Format("done:%d/%d", index, rows));
}

void VersionsTest::SetUp() {
  ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
  WriteFile(catalogue_ / "catalogue.json", R"({
    "languages": [{"langID": "1", "name": "EN", "langname": "English"},
                  {"langID": "2", "name": "DE", "langname": "Deutsch"}],
    "members": [{"account": "workshop1", "password": "secret01", "memberID": 1001,
                 "identity": 1, "sns": ["KS0100001"]}],
    "carKinds": [
      {"langID": "1", "carKindName": "Audi", "path": "AUDI", "versions": []},
      {"langID": "1", "carKindName": "BMW", "path": "BMW", "versions": []},
      {"langID": "1", "carKindName": "Honda", "path": "ASIA/HONDA", "versions": []},
      {"langID": "1", "carKindName": "Citroën", "path": "CITROEN", "versions": []}
    ]
  })");
  StartServerAndLogIn(card_.path());
}

void VersionsTest::MakeVersion(const std::string& relative) {
  WriteFile(card_ / (relative + "/data.en"), "data");
}

CKestCar VersionsTest::Record(const std::string& name, const std::string& path) {
  CKestCar car;
  car.languageCode = "EN";
  car.carKindName = name;
  car.path = path;
  return car;
}

}  // namespace kest::test
