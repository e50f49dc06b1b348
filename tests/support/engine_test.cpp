#include "tests/support/engine_test.h"

#include "app/kest_helper_app.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "resources/embedded_files.h"
#include "server/login.h"
#include "settings/language_table.h"

namespace kest::test {

std::vector<std::string> MatchingEvents(const std::vector<std::string>& events,
                                        const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& e : events) {
    if (StartsWith(e, prefix)) out.push_back(e);
  }
  return out;
}

void EngineTest::SetUp() {
  ExtractEmbeddedFiles();
  ASSERT_TRUE(LoadLanguageTable("en"));
  SetStopFlag(0);
  WorkGate().Open();
}

void EngineTest::TearDown() {
  SetStopFlag(0);
  WorkGate().Open();
}

void EngineTest::StartServerAndLogIn(const std::string& card) {
  server_ = std::make_unique<UpdateServerFixture>(catalogue_.path());
  ASSERT_EQ(Login(TheApp().session, "workshop1", "secret01"), kLoginOk);
  ASSERT_TRUE(SetCardFolder(card));
}

}  // namespace kest::test
