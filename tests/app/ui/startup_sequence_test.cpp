// Start-up of the window program: the automation switches and the desktop registration, the
// program itself started with them (no window, no display), and the single instance.

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "app/startup.h"
#include "app/ui/automation_switches.h"
#include "app/ui/desktop_registration.h"
#include "app/ui/kest_helper_dlg.h"
#include "app/ui/standard_pages.h"
#include "app/ui/window_program.h"
#include "tests/app/ui/ui_test_support.h"

using kest::ui::AutomationSwitch;

namespace {

// XDG_DATA_HOME pointed at a folder of the test's own.
class ScopedDataHome final {
 public:
  ScopedDataHome() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) saved_ = old;
    ::setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
  }
  ~ScopedDataHome() {
    if (saved_.empty()) {
      ::unsetenv("XDG_DATA_HOME");
    } else {
      ::setenv("XDG_DATA_HOME", saved_.c_str(), 1);
    }
  }
  const std::string& path() const { return dir_.path(); }

 private:
  kest::test::TempDir dir_{"kest-data-home"};
  std::string saved_;
};

bool Registered() {
  if (!kest::test::Exists(kest::ui::DesktopEntryPath())) return false;
  for (const std::string& icon : kest::ui::DesktopIconPaths()) {
    if (kest::test::ReadFile(icon).substr(1, 3) != "PNG") return false;
  }
  return true;
}

bool NothingRegistered() {
  if (kest::test::Exists(kest::ui::DesktopEntryPath())) return false;
  for (const std::string& icon : kest::ui::DesktopIconPaths()) {
    if (kest::test::Exists(icon)) return false;
  }
  return true;
}

}  // namespace

class StartupSequenceTest final : public QObject {
  Q_OBJECT

 private slots:
  void SwitchesAreReadAsTheClassLibraryReadsThem();
  void RegistrationFollowsTheSwitches();
  void ExecLineQuotesThePath();
  void ProgramUnregistersAndRegistersWithoutAWindow();
  void SecondStartShowsTheMessageAndEnds();
  void NormalQuitReleasesTheInstance();
};

void StartupSequenceTest::SwitchesAreReadAsTheClassLibraryReadsThem() {
  struct Case {
    std::vector<std::string> args;
    AutomationSwitch which;
  };
  const Case cases[] = {
      {{}, AutomationSwitch::None},
      {{"/Embedding"}, AutomationSwitch::Embedding},
      {{"-Automation"}, AutomationSwitch::Automation},
      {{"/Register"}, AutomationSwitch::Register},
      {{"-RegServer"}, AutomationSwitch::Register},
      {{"/UNREGSERVER"}, AutomationSwitch::Unregister},
      {{"-unregister"}, AutomationSwitch::Unregister},
      {{"Register"}, AutomationSwitch::None},  // a file name, not a switch
      {{"/Registerx", "card.txt"}, AutomationSwitch::None},
      {{"/Register", "/Embedding"}, AutomationSwitch::Embedding},  // the last one counts
  };
  for (const Case& c : cases) {
    QCOMPARE(int(kest::ui::ParseAutomationSwitch(c.args)), int(c.which));
  }
}

void StartupSequenceTest::RegistrationFollowsTheSwitches() {
  ScopedDataHome home;
  const std::string program = "/opt/kest/KEST update utility";
  int exitCode = -1;

  QVERIFY(kest::ui::HandleAutomationSwitch(AutomationSwitch::Embedding, program, exitCode));
  QVERIFY(NothingRegistered());

  QVERIFY(kest::ui::HandleAutomationSwitch(AutomationSwitch::None, program, exitCode));
  QVERIFY(Registered());
  QCOMPARE(kest::ui::DesktopEntryPath(),
           home.path() + "/applications/kest-update-utility.desktop");
  std::string entry = kest::test::ReadFile(kest::ui::DesktopEntryPath());
  QVERIFY(entry.find("Exec=\"/opt/kest/KEST update utility\"\n") != std::string::npos);
  QVERIFY(entry.find("Icon=kest-update-utility\n") != std::string::npos);

  QVERIFY(!kest::ui::HandleAutomationSwitch(AutomationSwitch::Unregister, program, exitCode));
  QCOMPARE(exitCode, 0);
  QVERIFY(NothingRegistered());
  // Unregistering twice is no failure.
  QVERIFY(!kest::ui::HandleAutomationSwitch(AutomationSwitch::Unregister, program, exitCode));
  QCOMPARE(exitCode, 0);

  QVERIFY(!kest::ui::HandleAutomationSwitch(AutomationSwitch::Register, program, exitCode));
  QCOMPARE(exitCode, 0);
  QVERIFY(Registered());
}

void StartupSequenceTest::ExecLineQuotesThePath() {
  QCOMPARE(kest::ui::QuoteExecArgument("/opt/KEST update utility"),
           std::string("\"/opt/KEST update utility\""));
  // '$', '"' and '`' take one backslash, which the string rules double; '\' becomes four.
  QCOMPARE(kest::ui::QuoteExecArgument("/a$b\"c`d\\e"),
           std::string("\"/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e\""));
  QCOMPARE(kest::ui::QuoteExecArgument("/100%/x"), std::string("\"/100%%/x\""));
}

void StartupSequenceTest::ProgramUnregistersAndRegistersWithoutAWindow() {
  ScopedDataHome home;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_DATA_HOME", QString::fromStdString(home.path()));
  // No display: a program that tried to open a window here would fail to start.
  environment.remove("DISPLAY");
  environment.remove("WAYLAND_DISPLAY");
  environment.insert("QT_QPA_PLATFORM", "xcb");

  auto run = [&](const QString& argument) {
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(KEST_UPDATE_UTILITY, {argument});
    if (!program.waitForFinished(120000)) return -1;
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
  };
  QCOMPARE(run("-RegServer"), 0);
  QVERIFY(Registered());
  std::string entry = kest::test::ReadFile(kest::ui::DesktopEntryPath());
  QVERIFY(entry.find("KEST update utility\"") != std::string::npos);
  QCOMPARE(run("/Unregister"), 0);
  QVERIFY(NothingRegistered());
}

void StartupSequenceTest::SecondStartShowsTheMessageAndEnds() {
  kest::test::UiTestEnvironment env;
  kest::test::ModalAnswerer answers;
  kest::SingleInstanceGuard running;
  QCOMPARE(int(running.Acquire()), int(kest::SingleInstanceGuard::Outcome::Running));

  QCOMPARE(kest::ui::RunMainWindow(kest::ui::StandardPages()), 0);
  QCOMPARE(answers.texts(), QStringList{"The program has started."});
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    QVERIFY(!qobject_cast<kest::ui::CKestHelperDlg*>(widget));
  }
  // The first instance keeps its mutex.
  QVERIFY(running.Held());
  kest::SingleInstanceGuard third;
  QCOMPARE(int(third.Acquire()), int(kest::SingleInstanceGuard::Outcome::AnotherInstance));
}

void StartupSequenceTest::NormalQuitReleasesTheInstance() {
  kest::test::UiTestEnvironment env;
  kest::test::ModalAnswerer answers;
  bool sawWindow = false;
  bool heldWhileOpen = false;
  // Once the window runs, check the mutex from outside and quit through the Quit tab.
  QTimer quit;
  quit.setInterval(20);
  QObject::connect(&quit, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* window = qobject_cast<kest::ui::CKestHelperDlg*>(widget);
      if (!window || !window->isVisible() || sawWindow) continue;
      sawWindow = true;
      kest::SingleInstanceGuard probe;
      heldWhileOpen = probe.Acquire() == kest::SingleInstanceGuard::Outcome::AnotherInstance;
      answers.Queue(QMessageBox::Yes);
      QMetaObject::invokeMethod(window, [window] {
        window->TabButton(kest::ui::CKestHelperDlg::kQuitTab)->click();
      }, Qt::QueuedConnection);
    }
  });
  quit.start();
  QCOMPARE(kest::ui::RunMainWindow(kest::ui::StandardPages()), 0);
  QVERIFY(sawWindow);
  QVERIFY(heldWhileOpen);
  QCOMPARE(answers.texts(), QStringList{"Do you want to quit?"});
  kest::SingleInstanceGuard after;
  QCOMPARE(int(after.Acquire()), int(kest::SingleInstanceGuard::Outcome::Running));
}

QTEST_MAIN(StartupSequenceTest)
#include "startup_sequence_test.moc"
