#include "app/ui/window_program.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/kest_helper_app.h"
#include "app/startup.h"
#include "app/ui/automation_switches.h"
#include "app/ui/controls/images.h"
#include "app/ui/controls/message_box.h"
#include "app/ui/controls/ui_style.h"
#include "app/ui/controls/ui_text.h"
#include "app/ui/desktop_registration.h"
#include "app/ui/kest_helper_dlg.h"
#include "platform/process.h"

namespace kest::ui {

int RunMainWindow(const MainWindowPages& pages) {
  PrepareStartUp(TheApp());
  // The fonts follow the interface language (the CJK family of Japanese and Korean differs).
  QApplication::setFont(DialogFont());

  SingleInstanceGuard guard;
  if (guard.Acquire() == SingleInstanceGuard::Outcome::AnotherInstance) {
    ShowPlain(nullptr, Tr("EXEHAVESTART"));
    return 0;
  }
  {
    CKestHelperDlg window(pages);
    window.exec();
  }
  guard.Release();
  return 0;
}

int RunWindowProgram(int argc, char** argv, const MainWindowPages& pages) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int exitCode = 0;
  if (!HandleAutomationSwitch(ParseAutomationSwitch(args), platform::ProgramPath(), exitCode)) {
    return exitCode;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(kMessageBoxTitle);
  QGuiApplication::setDesktopFileName(kDesktopEntryName);
  if (QStyle* style = QStyleFactory::create("Fusion")) QApplication::setStyle(style);
  QApplication::setWindowIcon(ProgramIcon());
  return RunMainWindow(pages);
}

}  // namespace kest::ui
