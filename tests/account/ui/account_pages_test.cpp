// The account pages in a window, against the stand-in server: the login view (its worker, its
// boxes, the remember box, Enter and Escape), the member details (checks, what is sent, show
// and hide, Clear) and the Password Reset page for members and dealers.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include "account/ui/alter_passwd.h"
#include "account/ui/pell_page_index.h"
#include "account/ui/user_info_page.h"
#include "app/kest_helper_app.h"
#include "app/ui/controls/combo_completion.h"
#include "app/ui/kest_helper_dlg.h"
#include "app/ui/standard_pages.h"
#include "settings/option_file.h"
#include "tests/app/ui/ui_test_support.h"
#include "tests/support/update_server_fixture.h"

using kest::ui::CKestHelperDlg;

namespace {

void TypeInto(QLineEdit* field, const QString& text) {
  field->setFocus();
  field->clear();
  QTest::keyClicks(field, text);
}

void PressEnterIn(QWidget* widget) {
  widget->setFocus();
  QTest::keyClick(widget, Qt::Key_Return);
}

// The requests of one endpoint as the server received them.
QStringList Targets(kest::test::UpdateServerFixture& server, const std::string& endpoint) {
  QStringList targets;
  for (const auto& request : server.server().Requests()) {
    if (request.endpoint == endpoint) targets << QString::fromStdString(request.target);
  }
  return targets;
}

}  // namespace

class AccountPagesTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void LoginSucceedsOnTheWorkerAndShowsTheDetails();
  void LoginFailuresShowTheirBoxWhileTheWorkerWaits_data();
  void LoginFailuresShowTheirBoxWhileTheWorkerWaits();
  void SecondClickWhileALoginRunsIsIgnored();
  void ClosingTheWindowDuringALoginWaitsForItsWorker();
  void EnterLogsInOnlyFromTheFieldsAndEscapeNeverCloses();
  void RememberedLoginFillsTheView();
  void DetailsChecksSendNothingAndEmptyFieldsAreLeftOut();
  void DetailsRefusalsAndShowHideAndClear();
  void MemberPasswordChangeEndsTheSession();
  void MemberPasswordRefusalsKeepTheFields();
  void DealerResetKeepsTheSession();

 private:
  CKestHelperDlg& Window();
  kest::ui::CPellPageindex* Home();
  kest::ui::CUserLogin* LoginView() { return Home()->loginPage(); }
  kest::ui::CUserInfo* Details() { return Home()->userInfoPage(); }
  kest::ui::CAlterPasswd* PasswordPage();
  bool LogIn(const QString& account, const QString& password);
  void ShowPasswordPage();

  std::unique_ptr<kest::test::UiTestEnvironment> env_;
  std::unique_ptr<kest::test::TempDir> catalogue_;
  std::unique_ptr<kest::test::UpdateServerFixture> server_;
  std::unique_ptr<kest::test::ModalAnswerer> answers_;
  std::unique_ptr<CKestHelperDlg> window_;
};

void AccountPagesTest::init() {
  env_ = std::make_unique<kest::test::UiTestEnvironment>();
  catalogue_ = std::make_unique<kest::test::TempDir>("kest-catalogue");
  kest::test::CopyExampleCatalogue(catalogue_->path());
  server_ = std::make_unique<kest::test::UpdateServerFixture>(catalogue_->path());
  answers_ = std::make_unique<kest::test::ModalAnswerer>();
}

void AccountPagesTest::cleanup() {
  window_.reset();
  answers_.reset();
  server_.reset();
  catalogue_.reset();
  env_.reset();
}

CKestHelperDlg& AccountPagesTest::Window() {
  if (!window_) {
    window_ = std::make_unique<CKestHelperDlg>(kest::ui::StandardPages());
    window_->show();
    window_->activateWindow();
  }
  return *window_;
}

kest::ui::CPellPageindex* AccountPagesTest::Home() {
  return static_cast<kest::ui::CPellPageindex*>(Window().Page(CKestHelperDlg::kHomePage));
}

kest::ui::CAlterPasswd* AccountPagesTest::PasswordPage() {
  return static_cast<kest::ui::CAlterPasswd*>(Window().Page(CKestHelperDlg::kPasswordPage));
}

bool AccountPagesTest::LogIn(const QString& account, const QString& password) {
  TypeInto(LoginView()->userNameEdit(), account);
  TypeInto(LoginView()->passwordEdit(), password);
  QTest::mouseClick(LoginView()->loginButton(), Qt::LeftButton);
  return QTest::qWaitFor([&] { return Details()->isVisible() && !LoginView()->LoginRunning(); },
                         30000);
}

void AccountPagesTest::ShowPasswordPage() {
  QTest::mouseClick(Window().TabButton(CKestHelperDlg::kPasswordTab), Qt::LeftButton);
}

// ---- Login ----

void AccountPagesTest::LoginSucceedsOnTheWorkerAndShowsTheDetails() {
  QVERIFY(LoginView()->isVisible());
  QVERIFY(!Details()->isVisible());
  QVERIFY(LogIn("workshop1", "secret01"));
  QCOMPARE(answers_->count(), 0);
  QVERIFY(!LoginView()->isVisible());
  QVERIFY(Window().loggedIn());
  QVERIFY(LoginView()->loginButton()->isEnabled());
  QCOMPARE(Details()->nameEdit()->text(), QString("workshop1"));
  const kest::LoginSession& session = kest::TheApp().session;
  QCOMPARE(session.account, std::string("workshop1"));
  QCOMPARE(session.password, std::string("secret01"));
  // The login, then the languages, then the details' own load.
  QCOMPARE(server_->server().RequestCount("login"), size_t{2});
  QCOMPARE(server_->server().RequestCount("listlang"), size_t{1});
}

void AccountPagesTest::LoginFailuresShowTheirBoxWhileTheWorkerWaits_data() {
  QTest::addColumn<QString>("fault");
  QTest::addColumn<QString>("account");
  QTest::addColumn<QString>("password");
  QTest::addColumn<QString>("key");  // or the whole text, when it starts with "="
  QTest::newRow("4000") << "" << "workshop1" << "wrong" << "wronguserpassword";
  QTest::newRow("50000") << "code:50000" << "workshop1" << "secret01" << "unconnecttoservice";
  QTest::newRow("-1") << "html404" << "workshop1" << "secret01" << "unconnecttoservice";
  QTest::newRow("-2") << "code:-2" << "workshop1" << "secret01" << "snserror";
  QTest::newRow("4001") << "code:4001" << "workshop1" << "secret01"
                        << "=Unknown error ,code = 4001";
  QTest::newRow("empty user name") << "" << "" << "secret01" << "usernamewrong";
}

void AccountPagesTest::LoginFailuresShowTheirBoxWhileTheWorkerWaits() {
  QFETCH(QString, fault);
  QFETCH(QString, account);
  QFETCH(QString, password);
  QFETCH(QString, key);
  if (!fault.isEmpty()) server_->SetFault("login", fault.toStdString());
  // The box is up on the window's thread while the worker waits for it to close.
  bool workerWaited = false;
  answers_->OnBox([&](QMessageBox* box) {
    workerWaited = LoginView()->LoginRunning() && box->thread() == QThread::currentThread() &&
                   !LoginView()->loginButton()->isEnabled();
  });
  TypeInto(LoginView()->userNameEdit(), account);
  TypeInto(LoginView()->passwordEdit(), password);
  QTest::mouseClick(LoginView()->loginButton(), Qt::LeftButton);
  QVERIFY(answers_->WaitForCount(1));
  QVERIFY(QTest::qWaitFor([&] { return !LoginView()->LoginRunning(); }, 30000));
  QString expected = key.startsWith('=') ? key.mid(1) : kest::test::Lang(key.toLatin1());
  QCOMPARE(answers_->texts(), QStringList{expected});
  QVERIFY(workerWaited);
  QVERIFY(LoginView()->isVisible());
  QVERIFY(!Window().loggedIn());
  QVERIFY(LoginView()->loginButton()->isEnabled());
  // The typed input stays for the next try.
  QCOMPARE(LoginView()->userNameEdit()->text(), account);
  QCOMPARE(LoginView()->passwordEdit()->text(), password);
  QCOMPARE(server_->server().RequestCount("login"), size_t(account.isEmpty() ? 0 : 1));
}

void AccountPagesTest::SecondClickWhileALoginRunsIsIgnored() {
  server_->SetFault("login", "delay:1500");
  TypeInto(LoginView()->userNameEdit(), "workshop1");
  TypeInto(LoginView()->passwordEdit(), "secret01");
  LoginView()->LoginCommand();
  QVERIFY(LoginView()->LoginRunning());
  QVERIFY(!LoginView()->loginButton()->isEnabled());
  LoginView()->LoginCommand();
  PressEnterIn(LoginView()->passwordEdit());
  QVERIFY(QTest::qWaitFor([&] { return !LoginView()->LoginRunning(); }, 30000));
  // One login request from the view (the details' load is the second).
  QCOMPARE(server_->server().RequestCount("login"), size_t{2});
  QVERIFY(Details()->isVisible());
}

void AccountPagesTest::ClosingTheWindowDuringALoginWaitsForItsWorker() {
  // The answer comes late and is a refusal, whose box would need the closed window.
  server_->SetFault("login", "delay:700");
  kest::Expected<kest::update_server::Fault> refusal =
      kest::update_server::ParseFault("code:4000");
  QVERIFY(refusal.ok());
  server_->server().AddFault("login", *refusal);
  TypeInto(LoginView()->userNameEdit(), "workshop1");
  TypeInto(LoginView()->passwordEdit(), "secret01");
  LoginView()->LoginCommand();
  QVERIFY(LoginView()->LoginRunning());
  window_.reset();  // returns once the worker has ended
  QCOMPARE(server_->server().RequestCount("login"), size_t{1});
  QCOMPARE(answers_->count(), 0);
}

void AccountPagesTest::EnterLogsInOnlyFromTheFieldsAndEscapeNeverCloses() {
  TypeInto(LoginView()->userNameEdit(), "workshop1");
  TypeInto(LoginView()->passwordEdit(), "secret01");
  for (QWidget* widget : std::initializer_list<QWidget*>{
           LoginView()->loginButton(), LoginView()->rememberBox(), LoginView()}) {
    PressEnterIn(widget);
  }
  QTest::keyClick(LoginView()->userNameEdit(), Qt::Key_Escape);
  QTest::keyClick(LoginView()->loginButton(), Qt::Key_Escape);
  QTest::qWait(50);
  QCOMPARE(server_->server().RequestCount("login"), size_t{0});
  QVERIFY(LoginView()->isVisible());
  QVERIFY(Window().isVisible());

  PressEnterIn(LoginView()->passwordEdit());
  QVERIFY(QTest::qWaitFor([&] { return Details()->isVisible(); }, 30000));
}

void AccountPagesTest::RememberedLoginFillsTheView() {
  QVERIFY(kest::SaveLoginOptions(true, "workshop1", "secret01"));
  QVERIFY(LoginView()->rememberBox()->isChecked());
  QCOMPARE(LoginView()->userNameEdit()->text(), QString("workshop1"));
  QCOMPARE(LoginView()->passwordEdit()->text(), QString("secret01"));

  // Unticked and a failed login: option.ini forgets both.
  QTest::mouseClick(LoginView()->rememberBox(), Qt::LeftButton);
  TypeInto(LoginView()->passwordEdit(), "wrong");
  QTest::mouseClick(LoginView()->loginButton(), Qt::LeftButton);
  QVERIFY(answers_->WaitForCount(1));
  QVERIFY(QTest::qWaitFor([&] { return !LoginView()->LoginRunning(); }, 30000));
  std::string account, password;
  QVERIFY(!kest::LoadLoginOptions(account, password));
  QVERIFY(kest::test::ReadFile(env_->optionFile()).find("workshop1") == std::string::npos);

  // A window opened without a remembered login starts empty.
  window_.reset();
  QVERIFY(!LoginView()->rememberBox()->isChecked());
  QCOMPARE(LoginView()->userNameEdit()->text(), QString());
}

// ---- Member details ----

void AccountPagesTest::DetailsChecksSendNothingAndEmptyFieldsAreLeftOut() {
  QVERIFY(LogIn("workshop1", "secret01"));
  struct Case {
    const char* field;
    QString text;
    const char* key;
  };
  const Case refused[] = {
      {"phone", QString(21, '1'), "modifyphonelenleast20"},
      {"address", QString(51, 'a'), "modifyaddrlenleast50"},
      {"name", "abcde", "modifyuselenleast4top15"},
      {"email", "workshop.example.com", "modifyemailformatwrong"},
      {"email", QString(251, 'a') + "@b.com", "modifyemailformatwrong"},
  };
  for (const Case& c : refused) {
    Details()->ClearCommand();
    Details()->nameEdit()->setText("workshop1");
    QLineEdit* field = c.field == std::string("phone")     ? Details()->phoneEdit()
                       : c.field == std::string("address") ? Details()->addressEdit()
                       : c.field == std::string("name")    ? Details()->nameEdit()
                                                           : Details()->emailEdit();
    field->setText(c.text);
    answers_->Clear();
    PressEnterIn(field);
    QCOMPARE(answers_->texts(), QStringList{kest::test::Lang(c.key)});
  }
  QCOMPARE(server_->server().RequestCount("updateuser"), size_t{0});

  // Only the name and a telephone of exactly 20: the rest stays as the server has it.
  Details()->ClearCommand();
  Details()->nameEdit()->setText("workshop1");
  Details()->phoneEdit()->setText(QString(20, '7'));
  answers_->Clear();
  QTest::mouseClick(Details()->modifyButton(), Qt::LeftButton);
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("altersucc")});
  QCOMPARE(Targets(*server_, "updateuser"),
           QStringList{"/autodown/updateuser?memberID=1001&memberAccount=workshop1&phone=" +
                       QString(20, '7')});
  // The fields keep what was sent.
  QCOMPARE(Details()->phoneEdit()->text(), QString(20, '7'));
  QCOMPARE(Details()->emailEdit()->text(), QString());
}

void AccountPagesTest::DetailsRefusalsAndShowHideAndClear() {
  QVERIFY(LogIn("workshop1", "secret01"));
  Details()->nameEdit()->setText("dealer01");
  PressEnterIn(Details()->nameEdit());
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("usernamerename")});
  QCOMPARE(Details()->nameEdit()->text(), QString("dealer01"));
  for (const char* code : {"4050", "4051"}) {
    server_->SetFault("updateuser", std::string("code:") + code);
    answers_->Clear();
    QTest::mouseClick(Details()->modifyButton(), Qt::LeftButton);
    QCOMPARE(answers_->texts(), QStringList{kest::test::Lang(code == std::string("4050")
                                                                 ? "regemailformaterror"
                                                                 : "usernameformaterror")});
  }
  // Enter on the buttons does nothing.
  server_->ClearFaults();
  answers_->Clear();
  PressEnterIn(Details()->modifyButton());
  PressEnterIn(Details()->clearButton());
  QCOMPARE(answers_->count(), 0);

  // Typing, Clear, another tab and back: the loaded record again.
  QTest::mouseClick(Details()->clearButton(), Qt::LeftButton);
  QCOMPARE(Details()->nameEdit()->text(), QString());
  QCOMPARE(Details()->record().name, std::string("workshop1"));
  QTest::mouseClick(Window().TabButton(CKestHelperDlg::kExpertTab), Qt::LeftButton);
  QTest::mouseClick(Window().TabButton(CKestHelperDlg::kHomeTab), Qt::LeftButton);
  QCOMPARE(Details()->nameEdit()->text(), QString("workshop1"));
  QCOMPARE(Details()->phoneEdit()->text(), QString("+49 30 1234567"));
}

// ---- Password Reset ----

void AccountPagesTest::MemberPasswordChangeEndsTheSession() {
  QVERIFY(LogIn("workshop1", "secret01"));
  ShowPasswordPage();
  kest::ui::CAlterPasswd* page = PasswordPage();
  QVERIFY(!page->serialBox()->isEnabled());
  QCOMPARE(page->serialBox()->currentText(), QString("KS0100001"));
  QCOMPARE(page->newPasswordEdit()->echoMode(), QLineEdit::Password);
  TypeInto(page->oldPasswordEdit(), "secret01");
  TypeInto(page->newPasswordEdit(), "abc123XYZ");
  TypeInto(page->confirmationEdit(), "abc123XYZ");
  QTest::mouseClick(page->changeButton(), Qt::LeftButton);
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("altercodesucc")});
  // Letters and digits reach the server as typed.
  QCOMPARE(Targets(*server_, "resetPassword"),
           QStringList{"/autodown/resetPassword?memberID=1001&password=abc123XYZ"
                       "&oldPassword=secret01"});
  QVERIFY(!page->isVisible());
  QCOMPARE(page->oldPasswordEdit()->text(), QString());
  QCOMPARE(page->newPasswordEdit()->text(), QString());
  QVERIFY(!Window().loggedIn());
  QVERIFY(LoginView()->isVisible());
  QCOMPARE(LoginView()->passwordEdit()->text(), QString());
  QCOMPARE(LoginView()->userNameEdit()->text(), QString("workshop1"));
  QVERIFY(LogIn("workshop1", "abc123XYZ"));
}

void AccountPagesTest::MemberPasswordRefusalsKeepTheFields() {
  QVERIFY(LogIn("workshop1", "secret01"));
  ShowPasswordPage();
  kest::ui::CAlterPasswd* page = PasswordPage();
  struct Case {
    QString oldPassword, newPassword, confirmation;
    const char* key;
  };
  const Case cases[] = {
      {"Secret01", "newpass1", "newpass1", "regpasswdwrong"},
      {"secret01", "12345", "12345", "passwordlenleast6top20"},
      {"secret01", QString(21, 'x'), QString(21, 'x'), "passwordlenleast6top20"},
      {"secret01", "newpass1", "newpass2", "altercodenotequal"},
      {"secret01", "secret01", "secret01", "newoldpasswordsame"},
  };
  for (const Case& c : cases) {
    TypeInto(page->oldPasswordEdit(), c.oldPassword);
    TypeInto(page->newPasswordEdit(), c.newPassword);
    TypeInto(page->confirmationEdit(), c.confirmation);
    answers_->Clear();
    PressEnterIn(page->confirmationEdit());
    QCOMPARE(answers_->texts(), QStringList{kest::test::Lang(c.key)});
    QCOMPARE(page->oldPasswordEdit()->text(), c.oldPassword);
    QCOMPARE(page->confirmationEdit()->text(), c.confirmation);
  }
  QCOMPARE(server_->server().RequestCount("resetPassword"), size_t{0});

  server_->SetFault("resetPassword", "code:4009");
  TypeInto(page->newPasswordEdit(), "newpass1");
  TypeInto(page->confirmationEdit(), "newpass1");
  answers_->Clear();
  // Enter on the button does not run the change; in a field it does.
  PressEnterIn(page->changeButton());
  QCOMPARE(answers_->count(), 0);
  PressEnterIn(page->oldPasswordEdit());
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("passwoldformaterror")});
  QVERIFY(Window().loggedIn());
  QVERIFY(page->isVisible());
}

void AccountPagesTest::DealerResetKeepsTheSession() {
  QVERIFY(LogIn("dealer01", "dealer01pw"));
  ShowPasswordPage();
  kest::ui::CAlterPasswd* page = PasswordPage();
  QVERIFY(page->serialBox()->isEnabled());
  QCOMPARE(page->serialBox()->count(), 3);
  for (QLineEdit* edit : {page->newPasswordEdit(), page->confirmationEdit()}) {
    QCOMPARE(edit->text(), QString("580297"));
    QCOMPARE(edit->echoMode(), QLineEdit::Normal);
    QVERIFY(!edit->isEnabled());
  }
  // A typed serial number is taken as it stands; Enter in the box runs nothing.
  TypeInto(page->oldPasswordEdit(), "dealer01pw");
  page->serialBox()->setFocus();
  page->serialBox()->lineEdit()->clear();
  QTest::keyClicks(page->serialBox(), "KS0100002");
  QTest::keyClick(page->serialBox(), Qt::Key_Return);
  QTest::qWait(30);
  QCOMPARE(answers_->count(), 0);
  QCOMPARE(page->serialBox()->currentText(), QString("KS0100002"));
  QTest::mouseClick(page->changeButton(), Qt::LeftButton);
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("altercodesucc")});
  QCOMPARE(Targets(*server_, "resetPasswordbytrader"),
           QStringList{"/autodown/resetPasswordbytrader?memberID=2001&sn=KS0100002"});
  QCOMPARE(page->oldPasswordEdit()->text(), QString());
  QVERIFY(Window().loggedIn());
  QVERIFY(page->isVisible());

  page->serialBox()->setEditText("KS0999999");
  TypeInto(page->oldPasswordEdit(), "dealer01pw");
  answers_->Clear();
  QTest::mouseClick(page->changeButton(), Qt::LeftButton);
  QCOMPARE(answers_->texts(), QStringList{kest::test::Lang("equipmenterror")});
  QCOMPARE(page->oldPasswordEdit()->text(), QString("dealer01pw"));

  // A member who logs in after the dealer in the same run changes the own password again.
  QTest::mouseClick(Window().TabButton(CKestHelperDlg::kHomeTab), Qt::LeftButton);
  Window().SessionEnded();
  QVERIFY(LogIn("workshop1", "580297"));
  ShowPasswordPage();
  QVERIFY(!page->serialBox()->isEnabled());
  QCOMPARE(page->serialBox()->count(), 2);
  QVERIFY(page->newPasswordEdit()->isEnabled());
  QCOMPARE(page->newPasswordEdit()->text(), QString());
  QCOMPARE(page->newPasswordEdit()->echoMode(), QLineEdit::Password);
}

QTEST_MAIN(AccountPagesTest)
#include "account_pages_test.moc"
