#include "account/ui/user_info_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/kest_helper_app.h"
#include "app/ui/controls/center_edit_text.h"
#include "app/ui/controls/dialog_units.h"
#include "app/ui/controls/message_box.h"
#include "app/ui/controls/page_key_filter.h"
#include "app/ui/controls/proportional_layout.h"
#include "app/ui/controls/ui_style.h"
#include "app/ui/controls/ui_text.h"
#include "app/ui/controls/wait_cursor.h"

namespace kest::ui {

CUserInfo::CUserInfo(QWidget* parent) : QWidget(parent) {
  setObjectName("page169");
  resize(DluSize(579, 314));
  name_edit_ = AddField(name_label_, "name", 79, 84);
  phone_edit_ = AddField(phone_label_, "userphone", 104, 110);
  email_edit_ = AddField(email_label_, "useremail", 132, 136);
  address_edit_ = AddField(address_label_, "useraddr", 156, 161);
  name_edit_->setMaxLength(static_cast<int>(kUserNameMaxLength));

  modify_button_ = new QPushButton(Tr("modifyinfo"), this);
  modify_button_->setGeometry(DluRect(227, 186, 49, 18));
  modify_button_->setProperty("primary", true);
  clear_button_ = new QPushButton(Tr("clear"), this);
  clear_button_->setGeometry(DluRect(293, 186, 49, 18));
  for (QPushButton* button : {modify_button_, clear_button_}) {
    button->setCursor(Qt::PointingHandCursor);
  }
  connect(modify_button_, &QPushButton::clicked, this, &CUserInfo::ModifyCommand);
  connect(clear_button_, &QPushButton::clicked, this, &CUserInfo::ClearCommand);

  InstallPageKeyFilter(this, {name_edit_, phone_edit_, email_edit_, address_edit_},
                       [this] { ModifyCommand(); });
  InstallProportionalLayout(this);
}

QLineEdit* CUserInfo::AddField(QLabel*& label, const char* captionKey, int top, int labelTop) {
  auto* edit = new QLineEdit(this);
  edit->setGeometry(DluRect(231, top, 113, 17));
  label = new QLabel(Tr(captionKey), this);
  label->setGeometry(LabelBeside(DluRect(165, labelTop, 56, 15), edit->geometry()));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  CenterEditText(edit);
  return edit;
}

void CUserInfo::LoadUserRecord() {
  {
    WaitCursor waiting;
    kest::LoadUserRecord(TheApp().session, record_);
  }
  ShowRecord();
}

void CUserInfo::ShowRecord() {
  name_edit_->setText(Q(record_.name));
  address_edit_->setText(Q(record_.address));
  email_edit_->setText(Q(record_.email));
  phone_edit_->setText(Q(record_.phone));
}

void CUserInfo::ModifyCommand() {
  UserRecord typed{S(name_edit_->text()), S(phone_edit_->text()), S(email_edit_->text()),
                   S(address_edit_->text())};
  std::string refusal = CheckUserInfoChange(typed);
  if (!refusal.empty()) {
    ShowInformation(this, Tr(refusal));
    return;
  }
  int32_t code;
  {
    WaitCursor waiting;
    code = ChangeUserInfo(TheApp().session, typed);
  }
  // On success the fields keep what was sent; the record follows at the next load.
  ShowInformation(this, Tr(UserInfoChangeMessageKey(code)));
}

void CUserInfo::ClearCommand() {
  for (QLineEdit* edit : {name_edit_, phone_edit_, email_edit_, address_edit_}) edit->clear();
}

void CUserInfo::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowRecord();
}

void CUserInfo::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  ShowRecord();
}

void CUserInfo::paintEvent(QPaintEvent*) {
  QRect form = name_label_->geometry().united(name_edit_->geometry());
  PaintFormPanel(this, form.united(clear_button_->geometry()), 48, 40);
}

}  // namespace kest::ui
