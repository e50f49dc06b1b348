#include "account/ui/pell_page_index.h"

#include <QLineEdit>

#include "account/ui/user_info_page.h"
#include "app/ui/controls/dialog_units.h"

namespace kest::ui {

CPellPageindex::CPellPageindex(QWidget* parent, CMainWindowLink& mainWindow)
    : QWidget(parent), main_window_(mainWindow) {
  resize(DluSize(580, 311));
  user_info_ = new CUserInfo(this);
  login_ = new CUserLogin(this, *this);
  // Both views fill the home page's area (and more): the page clips them.
  const QRect area(0, 0, 1200, 600);
  user_info_->setGeometry(area);
  login_->setGeometry(area);
  login_->show();
  user_info_->hide();
}

void CPellPageindex::OnLoginSucceeded() {
  const std::string name = login_->userName().toStdString();
  main_window_.SessionStarted(name);
  user_info_->LoadUserRecord();
  user_info_->show();
  login_->hide();
}

void CPellPageindex::OnSessionEnded() {
  login_->show();
  user_info_->hide();
}

void CPellPageindex::ClearLoginPassword() { login_->passwordEdit()->clear(); }

}  // namespace kest::ui
