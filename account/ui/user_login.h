#pragma once
// CUserLogin: the login view of the home page. The user types the member account and password
// and may ask to have them remembered; the login runs on a worker thread, whose failure
// messages appear over this page while it waits, and whose outcome goes to the owner (the home
// page).

#include <QFont>
#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace kest::ui {

class CSelfPStatic;

// The home page, as the login page reports to it (0x501, 0x503).
class CLoginOwner {
 public:
  virtual void OnLoginSucceeded() = 0;
  virtual void OnLoginFailed() = 0;

 protected:
  ~CLoginOwner() = default;
};

class CUserLogin final : public QWidget {
  Q_OBJECT

 public:
  CUserLogin(QWidget* parent, CLoginOwner& owner);
  ~CUserLogin() override;

  // Button 3, or Enter in one of the two fields. Ignored while a login runs.
  void LoginCommand();
  bool LoginRunning() const { return running_; }
  // The account name of the last login started from this page.
  const QString& userName() const { return user_name_; }

  QLineEdit* userNameEdit() const { return user_edit_; }      // 1014
  QLineEdit* passwordEdit() const { return password_edit_; }  // 1015
  QCheckBox* rememberBox() const { return remember_box_; }    // 1023
  QPushButton* loginButton() const { return login_button_; }  // 3
  CSelfPStatic* title() const { return title_; }              // 1091

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  class Reporter;

  void RunWorker(QString account, QString password, bool remember);
  void WorkerEnded();

  CLoginOwner& owner_;
  QFont title_font_;
  CSelfPStatic* title_ = nullptr;
  QLabel* user_label_ = nullptr;
  QLineEdit* user_edit_ = nullptr;
  QLabel* password_label_ = nullptr;
  QLineEdit* password_edit_ = nullptr;
  QCheckBox* remember_box_ = nullptr;
  QPushButton* login_button_ = nullptr;

  QString user_name_;
  QString password_;
  int remember_ = 0;
  bool running_ = false;    // a login worker runs (set here, cleared by its last report)
  bool closing_ = false;    // the page is being destroyed: reports touch nothing
  std::unique_ptr<QThread> worker_;
};

}  // namespace kest::ui
