#pragma once
// CKestHelperDlg: the one top-level window. A row of tab buttons over a painted header band,
// one page at a time below them. Before login only the home page is reachable; while a page's
// worker runs (1234 received, 1235 not yet) the tabs do not switch; quitting asks first and
// hands a waiting new copy of the executable to the companion program.

#include <QDialog>

#include <array>
#include <string>

#include "app/companion_launch.h"
#include "app/ui/controls/main_window_link.h"
#include "app/ui/controls/pell_button.h"
#include "app/ui/main_window_pages.h"
#include "app/ui/page_list.h"

namespace kest::ui {

class CKestHelperDlg final : public QDialog, public CMainWindowLink {
  Q_OBJECT

 public:
  // Dialog ids of the pages.
  static constexpr int kHomePage = 131;
  static constexpr int kExpertPage = 134;
  static constexpr int kPasswordPage = 168;
  static constexpr int kVersionPage = 104;
  // Tab button ids, left to right.
  static constexpr int kHomeTab = 1000;
  static constexpr int kPasswordTab = 1004;
  static constexpr int kExpertTab = 1005;
  static constexpr int kVersionTab = 1008;
  static constexpr int kQuitTab = 1007;
  // The page state codes that currentPage() takes.
  static constexpr int kHomeState = 0;
  static constexpr int kPasswordState = 1;
  static constexpr int kExpertState = 5;
  static constexpr int kVersionState = 6;

  static constexpr const char* kVersion = "V19.030101";
  static constexpr const char* kTemplateCaption = "KestHelper Update Utility";
  static constexpr int kClientWidth = 1200;
  static constexpr int kClientHeight = 600;

  explicit CKestHelperDlg(const MainWindowPages& pages, QWidget* parent = nullptr);
  ~CKestHelperDlg() override;

  // CMainWindowLink: the messages 1234 to 1237, from any thread.
  void WorkStarted() override;
  void WorkFinished() override;
  void SessionStarted(const std::string& memberName) override;
  void SessionEnded() override;

  // The tab clicks; each does nothing when its conditions do not hold.
  void OnHomeTab();
  void OnPasswordTab();
  void OnExpertTab();
  void OnVersionTab();
  // The quit sequence (Quit tab, closing the window): asks, starts the companion when a new
  // copy waits, ends the window's run and stops the update page's work. False when the user
  // answered No.
  bool Quit();

  bool loggedIn() const { return logged_in_; }
  bool navigationEnabled() const { return navigation_enabled_; }
  int currentPage() const { return current_page_; }
  CPellButton* TabButton(int id) const;
  QWidget* Page(int dialogId) const { return pages_.Find(dialogId); }
  const CPageList& pages() const { return pages_; }
  QRect PageRect() const;
  // What the last quit did about a new copy of the executable.
  const CompanionLaunch& lastCompanionLaunch() const { return last_launch_; }
  // The executable whose folder the quit looks in (tests point it elsewhere).
  void SetProgramPath(const std::string& path) { program_path_ = path; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Escape: the window ends only through the quit sequence.
  void reject() override {}

 private:
  struct Tab {
    int id;
    const char* captionKey;
    CPellButton* button;
  };

  void CreateTabs();
  void CreatePages(const MainWindowPages& factories);
  void SetCaptionName(const QString& name);
  void MarkTab(int id);

  CPageList pages_;
  std::array<Tab, 5> tabs_;
  QString saved_caption_;
  bool logged_in_ = false;
  bool navigation_enabled_ = true;
  int current_page_ = kHomeState;
  bool centred_ = false;
  std::string program_path_;
  CompanionLaunch last_launch_;
};

}  // namespace kest::ui
