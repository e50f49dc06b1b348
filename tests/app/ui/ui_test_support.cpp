#include "tests/app/ui/ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include "app/kest_helper_app.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "settings/package_languages.h"

namespace kest::test {

UiTestEnvironment::UiTestEnvironment(const std::string& language) {
  SetOptionFilePath(optionFile());
  SetLanguageFolder(std::string(KEST_LANGUAGE_SOURCE_DIR) + "/");
  LoadLanguageTable(language);
  TheApp().session = LoginSession{};
  SetServerLanguages({});
}

UiTestEnvironment::~UiTestEnvironment() {
  TheApp().session = LoginSession{};
  LoadLanguageTable("en");
}

ModalAnswerer::ModalAnswerer() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

ModalAnswerer::~ModalAnswerer() { timer_.stop(); }

void ModalAnswerer::Poll() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (!box || !box->isVisible() || box->property("kestAnswered").toBool()) continue;
    box->setProperty("kestAnswered", true);
    texts_ << box->text();
    if (look_) look_(box);
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    QAbstractButton* button = box->button(answer);
    if (!button) button = box->buttons().value(0);
    // Pressed from the event loop, not from inside this poll.
    QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
  }
}

bool ModalAnswerer::WaitForCount(int n) {
  return QTest::qWaitFor([&] { return count() >= n; }, 30000);
}

QString SaveScreenshot(QWidget* widget, const QString& name) {
  // Runs on another display platform keep their pictures apart (screenshots/xcb/...), so two
  // runs of one test at the same time never write the same file.
  QString folder = KEST_SCREENSHOT_DIR;
  if (QString platform = QGuiApplication::platformName(); platform != "offscreen") {
    folder += "/" + platform;
  }
  QDir().mkpath(folder);
  QString path = QDir(folder).filePath(name + ".png");
  widget->grab().save(path);
  return path;
}

QString Lang(const char* key) { return QString::fromStdString(GetLangString(key)); }

}  // namespace kest::test
