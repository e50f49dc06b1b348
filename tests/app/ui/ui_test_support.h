#pragma once
// Helpers of the window tests: an environment of the test's own (temporary folder, option.ini,
// the English table, an empty session) and an answerer for the modal message boxes that the
// windows show.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

class QWidget;

namespace kest::test {

// Per test: TMPDIR, option.ini in a folder of its own, the interface table of `language`
// loaded from the source tree, an empty login session and no package languages.
class UiTestEnvironment final {
 public:
  explicit UiTestEnvironment(const std::string& language = "en");
  ~UiTestEnvironment();

  const std::string& folder() const { return dir_.path(); }
  std::string optionFile() const { return dir_ / "option.ini"; }

 private:
  ScopedTmpDir tmp_;
  TempDir dir_{"kest-ui"};
};

// Answers every QMessageBox that opens while it lives: records its text, then presses the
// next button of the queue (OK when the queue is empty; Yes/No boxes take the queued answer).
class ModalAnswerer final : public QObject {
 public:
  ModalAnswerer();
  ~ModalAnswerer() override;

  void Queue(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  const QStringList& texts() const { return texts_; }
  QString last() const { return texts_.isEmpty() ? QString() : texts_.last(); }
  int count() const { return static_cast<int>(texts_.size()); }
  void Clear() { texts_.clear(); }
  // Called with each box before it is answered (to look at the windows while it is open).
  void OnBox(std::function<void(QMessageBox*)> look) { look_ = std::move(look); }
  // Waits (serving events) until `n` boxes have been answered; false after a generous limit.
  bool WaitForCount(int n);

 private:
  void Poll();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::function<void(QMessageBox*)> look_;
  QStringList texts_;
};

// Saves a picture of `widget` as <screenshot folder>/<name>.png (the build folder of the
// tests); returns the path.
QString SaveScreenshot(QWidget* widget, const QString& name);

// The text of a language key in the table in use.
QString Lang(const char* key);

}  // namespace kest::test
