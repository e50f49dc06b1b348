#include "account/ui/alter_passwd.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "account/password_change.h"
#include "app/kest_helper_app.h"
#include "app/ui/controls/combo_completion.h"
#include "app/ui/controls/dialog_units.h"
#include "app/ui/controls/main_window_link.h"
#include "app/ui/controls/message_box.h"
#include "app/ui/controls/page_key_filter.h"
#include "app/ui/controls/proportional_layout.h"
#include "app/ui/controls/ui_style.h"
#include "app/ui/controls/ui_text.h"
#include "app/ui/controls/wait_cursor.h"

namespace kest::ui {

namespace {

// The session's serial numbers in the order of a sorted box (letter case ignored).
QStringList SortedSerials(const LoginSession& session) {
  QStringList serials;
  for (const std::string& serial : session.serialNumbers) serials << Q(serial);
  serials.sort(Qt::CaseInsensitive);
  return serials;
}

}  // namespace

CAlterPasswd::CAlterPasswd(QWidget* parent, CMainWindowLink& mainWindow)
    : QWidget(parent), main_window_(mainWindow) {
  setObjectName("page168");
  resize(DluSize(582, 308));

  serial_box_ = new CComboCompletion(this);
  serial_box_->setGeometry(DluRect(258, 60, 112, 18));
  serial_label_ = new QLabel(QStringLiteral("SN"), this);
  serial_label_->setGeometry(LabelBeside(DluRect(196, 61, 60, 13), serial_box_->geometry()));
  serial_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  serial_box_->setEnabled(false);
  old_edit_ = AddPasswordField(old_label_, "oldcode", 89, 92);
  new_edit_ = AddPasswordField(new_label_, "newcode", 118, 121);
  confirm_edit_ = AddPasswordField(confirm_label_, "newrcode", 147, 150);
  change_button_ = new QPushButton(Tr("savecode"), this);
  change_button_->setGeometry(DluRect(260, 176, 84, 19));
  change_button_->setProperty("primary", true);
  change_button_->setCursor(Qt::PointingHandCursor);
  connect(change_button_, &QPushButton::clicked, this, &CAlterPasswd::ChangeCommand);

  InstallPageKeyFilter(this, {old_edit_, new_edit_, confirm_edit_}, [this] { ChangeCommand(); });
  InstallProportionalLayout(this);
}

QLineEdit* CAlterPasswd::AddPasswordField(QLabel*& label, const char* captionKey, int top,
                                          int labelTop) {
  auto* edit = new QLineEdit(this);
  edit->setGeometry(DluRect(258, top, 112, 18));
  label = new QLabel(Tr(captionKey), this);
  label->setGeometry(LabelBeside(DluRect(196, labelTop, 60, 13), edit->geometry()));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit->setEchoMode(QLineEdit::Password);
  return edit;
}

void CAlterPasswd::showEvent(QShowEvent* event) {
  OnShowWindow();
  QWidget::showEvent(event);
}

void CAlterPasswd::hideEvent(QHideEvent* event) {
  OnShowWindow();
  QWidget::hideEvent(event);
}

void CAlterPasswd::OnShowWindow() {
  const LoginSession& session = TheApp().session;
  // Filled when empty, and again when a later login brought other scanners: a list left from
  // the previous account would offer serial numbers this account cannot reset.
  QStringList serials = SortedSerials(session);
  QStringList held;
  for (int i = 0; i < serial_box_->count(); ++i) held << serial_box_->itemText(i);
  if (serial_box_->count() == 0 || (!serials.isEmpty() && held != serials)) {
    serial_box_->clear();
    serial_box_->addItems(serials);
    if (serial_box_->count() > 0) serial_box_->setCurrentIndex(0);
  }
  if (session.IsDealer()) {
    serial_box_->setEnabled(true);
    for (QLineEdit* edit : {new_edit_, confirm_edit_}) {
      edit->setText(kDealerDefaultPassword);
      edit->setEchoMode(QLineEdit::Normal);
      edit->setEnabled(false);
    }
    dealer_view_ = true;
  } else {
    serial_box_->setEnabled(false);
    if (dealer_view_) {
      // A member logged in after a dealer in the same run: the fields must take the member's
      // new password again, hidden as they were.
      for (QLineEdit* edit : {new_edit_, confirm_edit_}) {
        edit->clear();
        edit->setEchoMode(QLineEdit::Password);
        edit->setEnabled(true);
      }
      dealer_view_ = false;
    }
  }
}

void CAlterPasswd::ChangeCommand() {
  const LoginSession& session = TheApp().session;
  PasswordChangeInput input{S(serial_box_->currentText()), S(old_edit_->text()),
                            S(new_edit_->text()), S(confirm_edit_->text())};
  std::string refusal = CheckPasswordChange(session, input);
  if (!refusal.empty()) {
    ShowInformation(this, Tr(refusal));
    return;
  }
  if (session.IsDealer()) {
    int32_t code;
    {
      WaitCursor waiting;
      code = ResetPasswordByDealer(session, input.serial);
    }
    ShowInformation(this, Tr(DealerResetMessageKey(code)));
    if (code == 0) old_edit_->clear();
    return;
  }
  int32_t code;
  {
    WaitCursor waiting;
    code = ChangeMemberPassword(session, input.confirmation, input.oldPassword);
  }
  ShowInformation(this, Tr(MemberPasswordMessageKey(code)));
  if (code != 0) return;
  // The new password holds from the next login on: the session ends here.
  hide();
  for (QLineEdit* edit : {old_edit_, new_edit_, confirm_edit_}) edit->clear();
  main_window_.SessionEnded();
}

void CAlterPasswd::paintEvent(QPaintEvent*) {
  QRect form = serial_label_->geometry().united(serial_box_->geometry());
  PaintFormPanel(this, form.united(change_button_->geometry()), 48, 40);
}

}  // namespace kest::ui
