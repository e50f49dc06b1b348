#pragma once
// What the pages and their workers say to the main window, and what the main window asks of
// its pages. The main window (app/ui/kest_helper_dlg.h) implements CMainWindowLink; the pages
// receive it when they are created.

#include <string>

namespace kest::ui {

// The messages 1234 to 1237. Each call returns after the main window has acted on it, from
// whatever thread it is made (a worker waits while the window's thread handles it).
class CMainWindowLink {
 public:
  virtual void WorkStarted() = 0;   // 1234: page switching is locked
  virtual void WorkFinished() = 0;  // 1235: page switching is allowed again
  // 1236: the login succeeded; the tabs unlock and the caption shows `memberName`.
  virtual void SessionStarted(const std::string& memberName) = 0;
  virtual void SessionEnded() = 0;  // 1237: back to the login view

 protected:
  ~CMainWindowLink() = default;
};

// The home page, as the main window needs it when a session ends.
class CHomePageHooks {
 public:
  virtual void OnSessionEnded() = 0;      // show the login view
  virtual void ClearLoginPassword() = 0;  // empty the login view's password field

 protected:
  ~CHomePageHooks() = default;
};

// A page whose running work the main window stops when the program quits while the page is
// current (the update page).
class CStoppablePage {
 public:
  virtual void StopWork() = 0;

 protected:
  ~CStoppablePage() = default;
};

}  // namespace kest::ui
