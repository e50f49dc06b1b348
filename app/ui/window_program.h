#pragma once
// The start-up sequence of the window program "KEST update utility":
//
//   1. the automation switches (automation_switches.h): register or unregister and end, or
//      refresh the registration and go on; no window and no display are needed up to here;
//   2. the application object of Qt, its style and the program icon;
//   3. the package language, the embedded files and the interface language (app/startup.h);
//   4. the single-instance test: a second start shows "The program has started." and ends;
//   5. the main window, run until it closes; then "kestHelperMutex" is released.

#include "app/ui/main_window_pages.h"

namespace kest::ui {

// The whole program; the exit code of main().
int RunWindowProgram(int argc, char** argv, const MainWindowPages& pages);

// Steps 3 to 5, for a running QApplication. 0 in every case, as the program ends normally
// also after the second-start message.
int RunMainWindow(const MainWindowPages& pages);

}  // namespace kest::ui
