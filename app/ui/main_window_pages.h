#pragma once
// The seam between the main window and its pages. The main window creates its four pages once,
// through these factories, as children of itself; a factory that is not set gives an empty
// page. app/ui/standard_pages.cpp fills them with the program's pages; the Update and
// Ver. Management pages plug in there.
//
// What a page with a worker does:
//   - it keeps the CMainWindowLink it was created with and calls WorkStarted() / WorkFinished()
//     (1234 / 1235) around its work; the calls may come from the worker thread;
//   - its worker reports to the page with RunOnThreadAndWait(page, ...), never by posting;
//   - the update page implements CStoppablePage: the main window calls StopWork() when the
//     program quits while that page is current;
//   - its destructor ends its worker with WaitServingReports(thread, page) and a flag that
//     makes late reports touch nothing (see account/ui/user_login.cpp).

#include <QWidget>

#include <functional>

#include "app/ui/controls/main_window_link.h"

namespace kest::ui {

using PageFactory = std::function<QWidget*(QWidget* parent, CMainWindowLink& mainWindow)>;

struct MainWindowPages {
  PageFactory home;      // dialog 131, tab 1000: login and member details
  PageFactory expert;    // dialog 134, tab 1005: update; may implement CStoppablePage
  PageFactory password;  // dialog 168, tab 1004
  PageFactory versions;  // dialog 104, tab 1008
};

// A page with nothing on it yet.
class CEmptyPage final : public QWidget {
 public:
  explicit CEmptyPage(QWidget* parent = nullptr) : QWidget(parent) {}
};

}  // namespace kest::ui
