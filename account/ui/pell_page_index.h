#pragma once
// CPellPageindex: the page of the Home tab. It holds the login view and the member details and
// shows one of them: the login view until a login succeeds, then the details until the session
// ends.

#include <QWidget>

#include "account/ui/user_login.h"
#include "app/ui/controls/main_window_link.h"

namespace kest::ui {

class CUserInfo;

class CPellPageindex final : public QWidget, public CLoginOwner, public CHomePageHooks {
  Q_OBJECT

 public:
  CPellPageindex(QWidget* parent, CMainWindowLink& mainWindow);

  // 0x501 (on the window's thread while the login worker waits): tells the main window that
  // the session started, loads the member's details and shows them.
  void OnLoginSucceeded() override;
  void OnLoginFailed() override {}  // 0x503: the login view stays as it is
  // 1237: the login view again.
  void OnSessionEnded() override;
  void ClearLoginPassword() override;

  CUserLogin* loginPage() const { return login_; }
  CUserInfo* userInfoPage() const { return user_info_; }

 private:
  CMainWindowLink& main_window_;
  CUserInfo* user_info_ = nullptr;  // children: deleted with the page
  CUserLogin* login_ = nullptr;
};

}  // namespace kest::ui
