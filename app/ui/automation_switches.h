#pragma once
// The command-line switches of an automation server, as the program's class library reads
// them: "/Embedding", "/Automation", "/Register" or "/RegServer", "/Unregister" or
// "/UnregServer", each also with "-" in place of "/", letter case ignored. On Linux there is no
// automation; registering means a desktop entry and the program's icon in the user's
// applications folder (desktop_registration.h).

#include <string>
#include <vector>

namespace kest::ui {

enum class AutomationSwitch {
  None,        // a plain start: write the registration, then run
  Embedding,   // started by an automation client: run
  Automation,  // likewise
  Register,    // write the registration and end
  Unregister,  // remove it and end, without a window
};

// The last of the switches in `args` (argv without the program), or None.
AutomationSwitch ParseAutomationSwitch(const std::vector<std::string>& args);

// Carries out the registration part of a switch for the executable at `programPath`. True when
// the program goes on to its window; false when it ends here (Register, Unregister), with
// `exitCode` set (1 when the registration could not be written or removed).
bool HandleAutomationSwitch(AutomationSwitch which, const std::string& programPath,
                            int& exitCode);

}  // namespace kest::ui
