#include "app/ui/automation_switches.h"

#include "app/ui/desktop_registration.h"
#include "platform/text.h"

namespace kest::ui {

AutomationSwitch ParseAutomationSwitch(const std::vector<std::string>& args) {
  struct Known {
    const char* name;
    AutomationSwitch which;
  };
  static constexpr Known kKnown[] = {
      {"embedding", AutomationSwitch::Embedding},   {"automation", AutomationSwitch::Automation},
      {"register", AutomationSwitch::Register},     {"regserver", AutomationSwitch::Register},
      {"unregister", AutomationSwitch::Unregister}, {"unregserver", AutomationSwitch::Unregister},
  };
  AutomationSwitch result = AutomationSwitch::None;
  for (const std::string& arg : args) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) continue;
    std::string name = ToLowerAscii(arg.substr(1));
    for (const Known& known : kKnown) {
      if (name == known.name) result = known.which;
    }
  }
  return result;
}

bool HandleAutomationSwitch(AutomationSwitch which, const std::string& programPath,
                            int& exitCode) {
  exitCode = 0;
  switch (which) {
    case AutomationSwitch::Embedding:
    case AutomationSwitch::Automation:
      return true;
    case AutomationSwitch::Unregister:
      if (!UnregisterDesktopEntry()) exitCode = 1;
      return false;
    case AutomationSwitch::Register:
      if (!RegisterDesktopEntry(programPath)) exitCode = 1;
      return false;
    case AutomationSwitch::None:
      break;
  }
  // A plain start refreshes the registration for wherever the program now lives; a failure
  // (a read-only home folder) does not keep the program from running.
  RegisterDesktopEntry(programPath);
  return true;
}

}  // namespace kest::ui
