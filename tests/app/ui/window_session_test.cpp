// The window program as a user meets it, against the stand-in server: log in, see the member's
// details, change them and the password, log in again with the new password, quit. Pictures of
// every page go to the build folder (screenshots/), in English and in Chinese.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "account/ui/alter_passwd.h"
#include "account/ui/pell_page_index.h"
#include "account/ui/user_info_page.h"
#include "app/kest_helper_app.h"
#include "app/ui/controls/combo_completion.h"
#include "app/ui/kest_helper_dlg.h"
#include "app/ui/standard_pages.h"
#include "server/json_read.h"
#include "settings/package_languages.h"
#include "tests/app/ui/ui_test_support.h"
#include "tests/support/update_server_fixture.h"

using kest::ui::CKestHelperDlg;

namespace {

kest::ui::CPellPageindex* HomeOf(CKestHelperDlg& window) {
  return static_cast<kest::ui::CPellPageindex*>(window.Page(CKestHelperDlg::kHomePage));
}

kest::ui::CAlterPasswd* PasswordPageOf(CKestHelperDlg& window) {
  return static_cast<kest::ui::CAlterPasswd*>(window.Page(CKestHelperDlg::kPasswordPage));
}

// A user clicks into the field, then types: keys go to the field that has the focus.
void TypeInto(QLineEdit* field, const QString& text) {
  field->setFocus();
  QTest::keyClicks(field, text);
}

void PressEnterIn(QWidget* field) {
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
}

// Types into the login view and presses its button, as a user does.
void TypeLogin(CKestHelperDlg& window, const QString& account, const QString& password) {
  kest::ui::CUserLogin* login = HomeOf(window)->loginPage();
  login->userNameEdit()->clear();
  TypeInto(login->userNameEdit(), account);
  login->passwordEdit()->clear();
  TypeInto(login->passwordEdit(), password);
  QTest::mouseClick(login->loginButton(), Qt::LeftButton);
}

// The member as the stand-in server has stored it.
Json::Value MemberOnServer(const std::string& catalogue, int memberID) {
  kest::Expected<Json::Value> root = kest::json::ParseFile(catalogue + "/catalogue.json");
  if (!root) return {};
  for (const Json::Value& member : kest::json::ReadArray(*root, "members")) {
    if (kest::json::ReadInt(member, "memberID") == memberID) return member;
  }
  return {};
}

bool WaitForDetails(CKestHelperDlg& window) {
  return QTest::qWaitFor([&] { return HomeOf(window)->userInfoPage()->isVisible(); }, 30000);
}

}  // namespace

class WindowSessionTest final : public QObject {
  Q_OBJECT

 private slots:
  void MemberLogsInChangesDetailsAndPasswordAndQuits();
  void DealerSeesTheDefaultPassword();
  void ChineseCaptionsRender();
};

void WindowSessionTest::MemberLogsInChangesDetailsAndPasswordAndQuits() {
  kest::test::UiTestEnvironment env;
  kest::test::TempDir catalogue("kest-catalogue");
  kest::test::CopyExampleCatalogue(catalogue.path());
  kest::test::UpdateServerFixture server(catalogue.path());
  kest::test::ModalAnswerer answers;

  CKestHelperDlg window(kest::ui::StandardPages());
  window.SetProgramPath(env.folder() + "/KEST update utility");
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  kest::test::SaveScreenshot(&window, "en-1-login");

  TypeLogin(window, "workshop1", "secret01");
  QVERIFY(WaitForDetails(window));
  QCOMPARE(window.windowTitle(), QString("KestHelper Update Utility-workshop1(V19.030101)"));
  QVERIFY(!HomeOf(window)->loginPage()->isVisible());
  QVERIFY(QTest::qWaitFor([&] { return !HomeOf(window)->loginPage()->LoginRunning(); }, 30000));
  QCOMPARE(answers.count(), 0);
  kest::ui::CUserInfo* details = HomeOf(window)->userInfoPage();
  QCOMPARE(details->nameEdit()->text(), QString("workshop1"));
  QCOMPARE(details->phoneEdit()->text(), QString("+49 30 1234567"));
  QCOMPARE(details->emailEdit()->text(), QString("workshop1@example.com"));
  QCOMPARE(details->addressEdit()->text(), QString("1 Main Street"));
  QCOMPARE(kest::ServerLanguages().size(), size_t{2});
  kest::test::SaveScreenshot(&window, "en-2-member-details");

  // Change the address and the telephone; Enter in a field sends the change.
  details->addressEdit()->setText("12 Garage Lane, Köln");  // typing takes only ASCII here
  details->phoneEdit()->clear();
  TypeInto(details->phoneEdit(), "+49 221 555 0101");
  PressEnterIn(details->phoneEdit());
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("altersucc")});
  Json::Value member = MemberOnServer(catalogue.path(), 1001);
  QCOMPARE(QString::fromStdString(kest::json::ReadString(member, "address")),
           QString("12 Garage Lane, Köln"));
  QCOMPARE(QString::fromStdString(kest::json::ReadString(member, "phone")),
           QString("+49 221 555 0101"));

  // The password: a member gives the old one and the new one twice.
  QTest::mouseClick(window.TabButton(CKestHelperDlg::kPasswordTab), Qt::LeftButton);
  kest::ui::CAlterPasswd* password = PasswordPageOf(window);
  QVERIFY(password->isVisible());
  QVERIFY(!password->serialBox()->isEnabled());
  kest::test::SaveScreenshot(&window, "en-3-password");
  TypeInto(password->oldPasswordEdit(), "secret01");
  TypeInto(password->newPasswordEdit(), "n3w&pass#1");
  TypeInto(password->confirmationEdit(), "n3w&pass#1");
  answers.Clear();
  PressEnterIn(password->confirmationEdit());
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("altercodesucc")});
  QVERIFY(!window.loggedIn());
  QVERIFY(HomeOf(window)->loginPage()->isVisible());
  QCOMPARE(HomeOf(window)->loginPage()->passwordEdit()->text(), QString());
  QCOMPARE(HomeOf(window)->loginPage()->userNameEdit()->text(), QString("workshop1"));

  // The new password, "&" and "#" included, is the one the server now holds.
  TypeLogin(window, "workshop1", "n3w&pass#1");
  QVERIFY(WaitForDetails(window));
  QVERIFY(window.loggedIn());
  QCOMPARE(HomeOf(window)->userInfoPage()->addressEdit()->text(), QString("12 Garage Lane, Köln"));

  QTest::mouseClick(window.TabButton(CKestHelperDlg::kExpertTab), Qt::LeftButton);
  kest::test::SaveScreenshot(&window, "en-4-update");
  answers.Clear();
  QTest::mouseClick(window.TabButton(CKestHelperDlg::kVersionTab), Qt::LeftButton);
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("vermanagementinfo")});
  kest::test::SaveScreenshot(&window, "en-6-versions");
  QTest::mouseClick(window.TabButton(CKestHelperDlg::kHomeTab), Qt::LeftButton);

  answers.Clear();
  answers.Queue(QMessageBox::Yes);
  QTest::mouseClick(window.TabButton(CKestHelperDlg::kQuitTab), Qt::LeftButton);
  QCOMPARE(answers.texts(), QStringList{kest::test::Lang("douquit")});
  QVERIFY(!window.isVisible());
}

void WindowSessionTest::DealerSeesTheDefaultPassword() {
  kest::test::UiTestEnvironment env;
  kest::test::TempDir catalogue("kest-catalogue");
  kest::test::CopyExampleCatalogue(catalogue.path());
  kest::test::UpdateServerFixture server(catalogue.path());
  kest::test::ModalAnswerer answers;

  CKestHelperDlg window(kest::ui::StandardPages());
  window.show();
  TypeLogin(window, "dealer01", "dealer01pw");
  QVERIFY(WaitForDetails(window));
  QTest::mouseClick(window.TabButton(CKestHelperDlg::kPasswordTab), Qt::LeftButton);
  kest::ui::CAlterPasswd* password = PasswordPageOf(window);
  QVERIFY(password->serialBox()->isEnabled());
  QCOMPARE(password->serialBox()->count(), 3);
  QCOMPARE(password->newPasswordEdit()->text(), QString("580297"));
  QCOMPARE(password->newPasswordEdit()->echoMode(), QLineEdit::Normal);
  QVERIFY(!password->newPasswordEdit()->isEnabled());
  kest::test::SaveScreenshot(&window, "en-5-dealer-password");
}

void WindowSessionTest::ChineseCaptionsRender() {
  kest::test::UiTestEnvironment env("cn");
  kest::test::TempDir catalogue("kest-catalogue");
  kest::test::CopyExampleCatalogue(catalogue.path());
  kest::test::UpdateServerFixture server(catalogue.path());
  kest::test::ModalAnswerer answers;

  CKestHelperDlg window(kest::ui::StandardPages());
  window.show();
  QCOMPARE(window.windowTitle(), QString("KestHelper Update Utility-未登录(V19.030101)"));
  QCOMPARE(window.TabButton(CKestHelperDlg::kHomeTab)->text(), QString("首页"));
  kest::test::SaveScreenshot(&window, "cn-1-login");
  TypeLogin(window, "workshop1", "secret01");
  QVERIFY(WaitForDetails(window));
  kest::test::SaveScreenshot(&window, "cn-2-member-details");
}

QTEST_MAIN(WindowSessionTest)
#include "window_session_test.moc"
