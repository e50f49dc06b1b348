#pragma once
// CUserInfo: the member's contact details under the Home tab after login. It shows the record
// of the last load; the user may edit the four fields and send the change, or clear them.
// Whenever the page is shown or hidden the fields show the loaded record again, so unsaved
// typing is dropped.

#include <QWidget>

#include "account/user_info.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kest::ui {

class CUserInfo final : public QWidget {
  Q_OBJECT

 public:
  explicit CUserInfo(QWidget* parent);

  // Loads the record with the session's account and password (blocks the window until the
  // answer is there) and puts it into the fields. A failed load shows nothing and keeps the
  // record as it was.
  void LoadUserRecord();
  // Button 1024, or Enter in one of the four fields.
  void ModifyCommand();
  // Button 1025: empties the four fields; the record stays.
  void ClearCommand();

  const UserRecord& record() const { return record_; }
  QLineEdit* nameEdit() const { return name_edit_; }        // 1039
  QLineEdit* phoneEdit() const { return phone_edit_; }      // 1056
  QLineEdit* emailEdit() const { return email_edit_; }      // 1040
  QLineEdit* addressEdit() const { return address_edit_; }  // 1058
  QPushButton* modifyButton() const { return modify_button_; }
  QPushButton* clearButton() const { return clear_button_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QLineEdit* AddField(QLabel*& label, const char* captionKey, int top, int labelTop);
  void ShowRecord();

  UserRecord record_;
  QLabel* name_label_ = nullptr;
  QLineEdit* name_edit_ = nullptr;
  QLabel* phone_label_ = nullptr;
  QLineEdit* phone_edit_ = nullptr;
  QLabel* email_label_ = nullptr;
  QLineEdit* email_edit_ = nullptr;
  QLabel* address_label_ = nullptr;
  QLineEdit* address_edit_ = nullptr;
  QPushButton* modify_button_ = nullptr;
  QPushButton* clear_button_ = nullptr;
};

}  // namespace kest::ui
