#include "app/companion_launch.h"

#include <sys/stat.h>

#include "platform/process.h"

namespace kest {
namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

CompanionLaunch LaunchCompanionIfWaiting() {
  return LaunchCompanionIfWaiting(platform::ProgramPath());
}

CompanionLaunch LaunchCompanionIfWaiting(const std::string& programPath) {
  CompanionLaunch launch;
  size_t slash = programPath.rfind('/');
  if (slash == std::string::npos || slash + 1 == programPath.size()) {
    launch.outcome = CompanionLaunch::Outcome::StartFailed;
    launch.error = "the program's own path is unknown";
    return launch;
  }
  std::string folder = programPath.substr(0, slash);
  launch.newCopy = folder + "/temp/" + programPath.substr(slash + 1);
  launch.companion = folder + "/" + kCompanionFileName;
  if (!IsFile(launch.newCopy)) {
    launch.outcome = CompanionLaunch::Outcome::NoNewCopy;
    return launch;
  }
  if (!IsFile(launch.companion)) {
    launch.outcome = CompanionLaunch::Outcome::NoCompanion;
    return launch;
  }
  // An argument vector, not a command line: the blanks in "KEST update utility" need no quotes.
  Status started = platform::StartDetached({launch.companion, launch.newCopy});
  if (!started.ok()) {
    launch.outcome = CompanionLaunch::Outcome::StartFailed;
    launch.error = started.error().message;
    return launch;
  }
  launch.outcome = CompanionLaunch::Outcome::Started;
  return launch;
}

}  // namespace kest
