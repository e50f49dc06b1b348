#pragma once
// Dialog units: the pages are laid out in the coordinates of their dialog templates, where a
// horizontal unit is a quarter and a vertical unit an eighth of the dialog font's average
// character cell. The dialog font of the templates is 6 x 13 pixels on a 96-dpi screen.

#include <QRect>
#include <QSize>

namespace kest::ui {

inline constexpr int kDluBaseX = 6;
inline constexpr int kDluBaseY = 13;

inline int DluToPixelsX(int units) { return units * kDluBaseX / 4; }
inline int DluToPixelsY(int units) { return units * kDluBaseY / 8; }

// A template rectangle (left, top, width, height in dialog units) in pixels.
inline QRect DluRect(int left, int top, int width, int height) {
  int x = DluToPixelsX(left);
  int y = DluToPixelsY(top);
  return QRect(x, y, DluToPixelsX(left + width) - x, DluToPixelsY(top + height) - y);
}

inline QSize DluSize(int width, int height) {
  return QSize(DluToPixelsX(width), DluToPixelsY(height));
}

// A label's place beside its field: the label's own left and width, the field's top and height,
// so that label and field text share one middle line (the templates set labels a few units
// lower than their fields).
inline QRect LabelBeside(const QRect& label, const QRect& field) {
  return QRect(label.x(), field.y(), label.width(), field.height());
}

}  // namespace kest::ui
