// The main window: caption, tab rules before and after login and while work runs, the end of
// a session, the quit sequence with and without a waiting new copy, and its tab buttons.

#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <thread>

#include "account/ui/pell_page_index.h"
#include "account/ui/user_info_page.h"
#include "app/ui/controls/pell_button.h"
#include "app/ui/kest_helper_dlg.h"
#include "app/ui/page_list.h"
#include "app/ui/standard_pages.h"
#include "tests/app/ui/ui_test_support.h"

using kest::ui::CKestHelperDlg;
using kest::ui::CPellButton;
using kest::ui::MainWindowPages;

namespace {

// An update page that records the main window's stop call.
class ProbeExpertPage final : public QWidget, public kest::ui::CStoppablePage {
 public:
  explicit ProbeExpertPage(QWidget* parent) : QWidget(parent) {}
  void StopWork() override { ++stops; }
  int stops = 0;
};

MainWindowPages ProbePages() {
  MainWindowPages pages = kest::ui::StandardPages();
  pages.expert = [](QWidget* parent, kest::ui::CMainWindowLink&) -> QWidget* {
    return new ProbeExpertPage(parent);
  };
  return pages;
}

// Runs `call` on a thread of its own, as a page's worker reports, and waits for it while the
// window's thread serves the report.
template <typename Call>
bool FromWorker(Call call) {
  std::atomic<bool> done = false;
  std::thread worker([&] {
    call();
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done.load(); }, 30000)) {
    worker.detach();  // blocked for good: let the test fail rather than hang
    return false;
  }
  worker.join();
  return true;
}

void Click(CPellButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

}  // namespace

class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void init() { env_ = std::make_unique<kest::test::UiTestEnvironment>(); }
  void cleanup() { env_.reset(); }

  void OpensOnTheHomePageWithOnlyHomeReachable();
  void TabsFollowTheLoginAndTheCaptionNamesTheMember();
  void RunningWorkLocksSwitchingButNotTheVersionNotice();
  void EndOfSessionReturnsToTheLoginView();
  void QuitAsksAndHandsANewCopyToTheCompanion_data();
  void QuitAsksAndHandsANewCopyToTheCompanion();
  void QuitStopsTheUpdatePageOnlyWhenItIsCurrent();
  void EscapeNeverClosesTheWindow();
  void APageIdTakenTwiceIsRefused();
  void TabButtonShowsPressedPictureWhileTheMouseIsDown();

 private:
  std::unique_ptr<kest::test::UiTestEnvironment> env_;
};

void MainWindowTest::OpensOnTheHomePageWithOnlyHomeReachable() {
  CKestHelperDlg window(ProbePages());
  window.show();
  QCOMPARE(window.windowTitle(), QString("KestHelper Update Utility-Not logged in(V19.030101)"));
  QCOMPARE(window.size(), QSize(1200, 600));
  QCOMPARE(window.pages().currentId(), CKestHelperDlg::kHomePage);
  QVERIFY(window.Page(CKestHelperDlg::kHomePage)->isVisible());
  QVERIFY(window.TabButton(CKestHelperDlg::kHomeTab)->marked());

  struct Locked {
    int tab;
    int image;
    QColor colour;
  };
  const Locked locked[] = {{CKestHelperDlg::kPasswordTab, 193, QColor(169, 199, 226)},
                           {CKestHelperDlg::kExpertTab, 185, QColor(169, 199, 226)},
                           {CKestHelperDlg::kVersionTab, 200, QColor(188, 214, 237)}};
  for (const Locked& tab : locked) {
    CPellButton* button = window.TabButton(tab.tab);
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->PaintedImage(), tab.image);
    QCOMPARE(button->textColour(), tab.colour);
    Click(button);
  }
  // The handlers themselves refuse as well, whatever reaches them.
  window.OnExpertTab();
  window.OnPasswordTab();
  window.OnVersionTab();
  QCOMPARE(window.currentPage(), CKestHelperDlg::kHomeState);
  QVERIFY(window.Page(CKestHelperDlg::kHomePage)->isVisible());
  QVERIFY(!window.Page(CKestHelperDlg::kExpertPage)->isVisible());

  QCOMPARE(window.TabButton(CKestHelperDlg::kHomeTab)->text(), QString("Home"));
  QCOMPARE(window.TabButton(CKestHelperDlg::kQuitTab)->text(), QString("Quit"));
}

void MainWindowTest::TabsFollowTheLoginAndTheCaptionNamesTheMember() {
  kest::test::ModalAnswerer answers;
  CKestHelperDlg window(ProbePages());
  window.show();
  // The name exactly as typed, non-ASCII included; the report comes from a worker thread.
  QVERIFY(FromWorker([&] { window.SessionStarted("Werkstatt Müller"); }));
  QVERIFY(window.loggedIn());
  QCOMPARE(window.windowTitle(),
           QString("KestHelper Update Utility-Werkstatt Müller(V19.030101)"));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kHomeState);
  QVERIFY(window.TabButton(CKestHelperDlg::kHomeTab)->marked());

  struct Step {
    int tab;
    int state;
    int page;
    int image;  // the tab's normal picture after login
  };
  const Step steps[] = {
      {CKestHelperDlg::kExpertTab, CKestHelperDlg::kExpertState, CKestHelperDlg::kExpertPage, 143},
      {CKestHelperDlg::kPasswordTab, CKestHelperDlg::kPasswordState,
       CKestHelperDlg::kPasswordPage, 171},
      {CKestHelperDlg::kVersionTab, CKestHelperDlg::kVersionState, CKestHelperDlg::kVersionPage,
       180},
      {CKestHelperDlg::kHomeTab, CKestHelperDlg::kHomeState, CKestHelperDlg::kHomePage, 141},
  };
  for (const Step& step : steps) {
    CPellButton* button = window.TabButton(step.tab);
    QVERIFY(button->isEnabled());
    QCOMPARE(button->textColour(), QColor(Qt::white));
    QCOMPARE(button->normalImage(), step.image);
    Click(button);
    QCOMPARE(window.currentPage(), step.state);
    QCOMPARE(window.pages().currentId(), step.page);
    for (const auto& [id, page] : window.pages().entries()) {
      QCOMPARE(page->isVisible(), id == step.page);
    }
    QVERIFY(button->marked());
  }
  // Only the version tab brings its notice.
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("vermanagementinfo")});
}

void MainWindowTest::RunningWorkLocksSwitchingButNotTheVersionNotice() {
  kest::test::ModalAnswerer answers;
  CKestHelperDlg window(ProbePages());
  window.show();
  window.SessionStarted("workshop1");
  Click(window.TabButton(CKestHelperDlg::kExpertTab));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kExpertState);

  QVERIFY(FromWorker([&] { window.WorkStarted(); }));
  QVERIFY(!window.navigationEnabled());
  Click(window.TabButton(CKestHelperDlg::kHomeTab));
  Click(window.TabButton(CKestHelperDlg::kPasswordTab));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kExpertState);
  Click(window.TabButton(CKestHelperDlg::kVersionTab));
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("vermanagementinfo")});
  QCOMPARE(window.currentPage(), CKestHelperDlg::kExpertState);
  QVERIFY(window.Page(CKestHelperDlg::kExpertPage)->isVisible());
  QVERIFY(window.TabButton(CKestHelperDlg::kExpertTab)->marked());

  QVERIFY(FromWorker([&] { window.WorkFinished(); }));
  Click(window.TabButton(CKestHelperDlg::kHomeTab));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kHomeState);
}

void MainWindowTest::EndOfSessionReturnsToTheLoginView() {
  CKestHelperDlg window(ProbePages());
  window.show();
  auto* home = static_cast<kest::ui::CPellPageindex*>(window.Page(CKestHelperDlg::kHomePage));
  home->loginPage()->userNameEdit()->setText("workshop1");
  home->loginPage()->passwordEdit()->setText("secret01");
  window.SessionStarted("workshop1");
  home->loginPage()->hide();
  home->userInfoPage()->show();
  Click(window.TabButton(CKestHelperDlg::kPasswordTab));
  window.Page(CKestHelperDlg::kPasswordPage)->hide();  // as the page does after a change

  window.SessionEnded();
  QVERIFY(!window.loggedIn());
  QCOMPARE(window.currentPage(), CKestHelperDlg::kHomeState);
  QVERIFY(home->isVisible());
  QVERIFY(home->loginPage()->isVisible());
  QVERIFY(!home->userInfoPage()->isVisible());
  QCOMPARE(home->loginPage()->passwordEdit()->text(), QString());
  QCOMPARE(home->loginPage()->userNameEdit()->text(), QString("workshop1"));
  QCOMPARE(window.windowTitle(), QString("KestHelper Update Utility-workshop1(V19.030101)"));
  QVERIFY(!window.TabButton(CKestHelperDlg::kExpertTab)->isEnabled());
  QCOMPARE(window.TabButton(CKestHelperDlg::kExpertTab)->textColour(), QColor(169, 199, 226));
  QCOMPARE(window.TabButton(CKestHelperDlg::kPasswordTab)->textColour(), QColor(169, 199, 226));
  QVERIFY(window.TabButton(CKestHelperDlg::kHomeTab)->marked());

  // Password Reset stays enabled but ignores its clicks until the next login.
  Click(window.TabButton(CKestHelperDlg::kPasswordTab));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kHomeState);
  window.SessionStarted("workshop1");
  Click(window.TabButton(CKestHelperDlg::kPasswordTab));
  QCOMPARE(window.currentPage(), CKestHelperDlg::kPasswordState);
}

void MainWindowTest::QuitAsksAndHandsANewCopyToTheCompanion_data() {
  QTest::addColumn<bool>("newCopy");
  QTest::addColumn<bool>("companion");
  QTest::addColumn<int>("outcome");
  using Outcome = kest::CompanionLaunch::Outcome;
  QTest::newRow("new copy and companion") << true << true << int(Outcome::Started);
  QTest::newRow("no new copy") << false << true << int(Outcome::NoNewCopy);
  QTest::newRow("no companion") << true << false << int(Outcome::NoCompanion);
}

void MainWindowTest::QuitAsksAndHandsANewCopyToTheCompanion() {
  QFETCH(bool, newCopy);
  QFETCH(bool, companion);
  QFETCH(int, outcome);
  namespace fs = std::filesystem;
  kest::test::TempDir program("kest-program");
  const std::string marker = program / "companion-started";
  if (newCopy) kest::test::WriteFile(program / "temp/KEST update utility", "new copy");
  if (companion) {
    // Stands in for tolvoHelperUpdate: notes its argument and ends.
    kest::test::WriteFile(program / "tolvoHelperUpdate",
                          "#!/bin/sh\nprintf '%s' \"$1\" > \"" + marker + ".part\"\n"
                          "mv \"" + marker + ".part\" \"" + marker + "\"\n");
    fs::permissions(program / "tolvoHelperUpdate", fs::perms::owner_all);
  }

  kest::test::ModalAnswerer answers;
  CKestHelperDlg window(ProbePages());
  window.SetProgramPath(program / "KEST update utility");
  window.show();

  answers.Queue(QMessageBox::No);
  window.close();
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("douquit")});
  QVERIFY(window.isVisible());
  QVERIFY(!kest::test::Exists(marker));

  answers.Queue(QMessageBox::Yes);
  QVERIFY(window.Quit());
  QVERIFY(!window.isVisible());
  QCOMPARE(window.result(), int(QDialog::Accepted));
  QCOMPARE(int(window.lastCompanionLaunch().outcome), outcome);
  if (outcome == int(kest::CompanionLaunch::Outcome::Started)) {
    QVERIFY(QTest::qWaitFor([&] { return kest::test::Exists(marker); }, 30000));
    QCOMPARE(kest::test::ReadFile(marker), program / "temp/KEST update utility");
  } else {
    QVERIFY(!kest::test::Exists(marker));
  }
}

void MainWindowTest::QuitStopsTheUpdatePageOnlyWhenItIsCurrent() {
  kest::test::ModalAnswerer answers;
  kest::test::TempDir program("kest-program");
  for (bool onUpdatePage : {false, true}) {
    CKestHelperDlg window(ProbePages());
    window.SetProgramPath(program / "KEST update utility");
    window.show();
    window.SessionStarted("workshop1");
    if (onUpdatePage) Click(window.TabButton(CKestHelperDlg::kExpertTab));
    answers.Queue(QMessageBox::Yes);
    Click(window.TabButton(CKestHelperDlg::kQuitTab));
    QVERIFY(!window.isVisible());
    auto* expert = static_cast<ProbeExpertPage*>(window.Page(CKestHelperDlg::kExpertPage));
    QCOMPARE(expert->stops, onUpdatePage ? 1 : 0);
  }
}

void MainWindowTest::EscapeNeverClosesTheWindow() {
  kest::test::ModalAnswerer answers;
  CKestHelperDlg window(ProbePages());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* home = static_cast<kest::ui::CPellPageindex*>(window.Page(CKestHelperDlg::kHomePage));
  QTest::keyClick(home->loginPage()->userNameEdit(), Qt::Key_Escape);
  QTest::keyClick(&window, Qt::Key_Escape);
  QVERIFY(window.isVisible());
  QCOMPARE(answers.count(), 0);
}

void MainWindowTest::APageIdTakenTwiceIsRefused() {
  kest::test::ModalAnswerer answers;
  QWidget first;
  QWidget second;
  kest::ui::CPageList pages;
  QVERIFY(pages.Add(131, &first));
  QVERIFY(!pages.Add(131, &second));
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("hasexitpage")});
  QCOMPARE(pages.size(), size_t{1});
  QCOMPARE(pages.Find(131), &first);
}

void MainWindowTest::TabButtonShowsPressedPictureWhileTheMouseIsDown() {
  QWidget parent;
  CPellButton plain(&parent);
  QCOMPARE(plain.PaintedImage(), 0);  // no pictures: the caption alone

  CPellButton button(&parent);
  button.setGeometry(0, 0, 132, 81);
  button.SetImages(143, 144);
  parent.show();
  QCOMPARE(button.PaintedImage(), 143);
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(60, 40));
  QCOMPARE(button.state(), 1);
  QCOMPARE(button.PaintedImage(), 144);
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 40));
  QCOMPARE(button.state(), 0);
  QCOMPARE(button.PaintedImage(), 143);

  // Leaving the button while pressed lets it go.
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(60, 40));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&button, &leave);
  QCOMPARE(button.state(), 0);
  QCOMPARE(button.PaintedImage(), 143);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
