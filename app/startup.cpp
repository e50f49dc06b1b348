#include "app/startup.h"

#include "resources/embedded_files.h"
#include "settings/language_table.h"

namespace kest {

void PrepareStartUp(CKestHelperApp& app) {
  app.session.packageLanguage = "en";
  ExtractEmbeddedFiles();
  SelectUiLanguage();
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Acquire() {
  switch (mutex_.Create(kMainInstanceMutex)) {
    case platform::NamedMutex::Outcome::Created: return Outcome::Running;
    case platform::NamedMutex::Outcome::AlreadyExisted: return Outcome::AnotherInstance;
    case platform::NamedMutex::Outcome::Failed: break;
  }
  return Outcome::Unguarded;
}

}  // namespace kest
