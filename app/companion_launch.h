#pragma once
// The launch side of self-update, called by the main window when the user has confirmed the
// quit: when a new copy of the executable waits in "<program folder>/temp/<own file name>" and
// the companion "<program folder>/tolvoHelperUpdate" is there, start the companion with the new
// copy's path as its argument and do not wait for it. The companion waits until this process
// has released "kestHelperMutex", then moves the new copy over the executable.

#include <string>

namespace kest {

inline constexpr const char* kCompanionFileName = "tolvoHelperUpdate";

struct CompanionLaunch {
  enum class Outcome {
    Started,      // the companion runs, detached
    NoNewCopy,    // nothing waits in temp/: nothing to do
    NoCompanion,  // the companion program is missing
    StartFailed,  // it could not be started; `error` says why
  };
  Outcome outcome = Outcome::NoNewCopy;
  std::string newCopy;    // "<folder>/temp/<file name>"
  std::string companion;  // "<folder>/tolvoHelperUpdate"
  std::string error;
};

// From the running executable's own path. A failure changes nothing and is only reported: the
// program ends all the same, and the new copy is tried again at the next quit.
CompanionLaunch LaunchCompanionIfWaiting();
// The same for the executable at `programPath` (tests, tools).
CompanionLaunch LaunchCompanionIfWaiting(const std::string& programPath);

}  // namespace kest
