#pragma once
// CAlterPasswd: the Password Reset page. An ordinary member changes the own password (old
// password, new password twice) and must log in again afterwards. A dealer resets the password
// of the account that holds the chosen scanner to the default password, which the page shows
// in the two new-password fields.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kest::ui {

class CComboCompletion;
class CMainWindowLink;

class CAlterPasswd final : public QWidget {
  Q_OBJECT

 public:
  CAlterPasswd(QWidget* parent, CMainWindowLink& mainWindow);

  // Button 1066, or Enter in one of the three password fields.
  void ChangeCommand();

  CComboCompletion* serialBox() const { return serial_box_; }        // 1029
  QLineEdit* oldPasswordEdit() const { return old_edit_; }           // 1061
  QLineEdit* newPasswordEdit() const { return new_edit_; }           // 1062
  QLineEdit* confirmationEdit() const { return confirm_edit_; }      // 1042
  QPushButton* changeButton() const { return change_button_; }       // 1066

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnShowWindow();
  QLineEdit* AddPasswordField(QLabel*& label, const char* captionKey, int top, int labelTop);

  CMainWindowLink& main_window_;
  QLabel* serial_label_ = nullptr;
  CComboCompletion* serial_box_ = nullptr;
  QLabel* old_label_ = nullptr;
  QLineEdit* old_edit_ = nullptr;
  QLabel* new_label_ = nullptr;
  QLineEdit* new_edit_ = nullptr;
  QLabel* confirm_label_ = nullptr;
  QLineEdit* confirm_edit_ = nullptr;
  QPushButton* change_button_ = nullptr;
  bool dealer_view_ = false;  // the new-password fields show the default password
};

}  // namespace kest::ui
