#pragma once
// The seam between the main window and its pages. The main window creates its four pages once,
// through these factories, as children of itself; a factory that is not set gives an empty
// page. app/ui/standard_pages.cpp fills them with the program's pages; the Update and
// Ver. Management pages plug in there.

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
