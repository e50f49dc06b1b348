#pragma once
// The keyboard rule of every page: Escape never closes a page, and Enter is consumed; Enter
// runs the page's main command only when the focus is in one of the page's input fields. Enter
// on a button, a check box or a serial-number box does nothing.

#include <QWidget>

#include <functional>
#include <vector>

namespace kest::ui {

// Installs the rule on `page`. Key presses that the focused control leaves unhandled travel up
// to the page, where the rule takes them. Push buttons of the page stop treating Enter as a
// click (Qt's dialogs would otherwise press a focused button on Enter).
void InstallPageKeyFilter(QWidget* page, std::vector<QWidget*> inputFields,
                          std::function<void()> mainCommand);

}  // namespace kest::ui
