#pragma once
// The message boxes of the window program. Texts come from the language table; the title is
// the program's name.

#include <QString>

class QWidget;

namespace kest::ui {

inline constexpr const char* kMessageBoxTitle = "KEST update utility";

// Information icon and an OK button: every failure and result a page reports.
void ShowInformation(QWidget* parent, const QString& text);
// No icon, OK button: start-up messages and "Page exists".
void ShowPlain(QWidget* parent, const QString& text);
// Yes and No buttons; true only when the user chose Yes (closing the box counts as No).
bool AskYesNo(QWidget* parent, const QString& text);

}  // namespace kest::ui
