#pragma once
// The start-up steps that come before the main window, shared by the window program, the
// `kest` command and the tests. The window program runs, in this order:
//
//   PrepareStartUp(TheApp());              // package language, embedded files, language table
//   SingleInstanceGuard guard;
//   if (guard.Acquire() == SingleInstanceGuard::Outcome::AnotherInstance) {
//     show GetLangString("EXEHAVESTART") and end;
//   }
//   ... run the main window; the guard is released when it goes out of scope ...
//
// The embedded files and the language table come before the single-instance test on purpose: a
// second start rewrites the files and speaks the user's language in its one message.

#include "app/kest_helper_app.h"
#include "platform/named_mutex.h"

namespace kest {

// The single-instance mutex; the companion program waits for it to disappear.
inline constexpr const char* kMainInstanceMutex = "kestHelperMutex";

// Sets the session's packageLanguage to "en", writes the embedded files into the temporary
// folder (a file that cannot be written does not stop start-up) and chooses the interface
// language from the system default language.
void PrepareStartUp(CKestHelperApp& app);

// Holds "kestHelperMutex" from Acquire() until Release() or destruction.
class SingleInstanceGuard final {
 public:
  enum class Outcome {
    Running,          // this is the only instance; the guard holds the mutex
    AnotherInstance,  // another instance holds it: show "EXEHAVESTART" and end
    Unguarded,        // the mutex could not be made; run as if no other instance ran
  };

  Outcome Acquire();
  void Release() { mutex_.Close(); }
  bool Held() const { return mutex_.Held(); }

 private:
  platform::NamedMutex mutex_;
};

}  // namespace kest
