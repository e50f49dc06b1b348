#pragma once
// CenterEditText: the single text line of an edit field stands in the vertical middle of the
// field, however tall the proportional layout makes it.

class QLineEdit;

namespace kest::ui {

void CenterEditText(QLineEdit* edit);

}  // namespace kest::ui
