#pragma once
// The account requests run on the window's thread and block it until the answer is there; the
// mouse cursor shows the wait meanwhile.

#include <QApplication>

namespace kest::ui {

class WaitCursor final {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace kest::ui
