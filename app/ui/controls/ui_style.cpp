#include "app/ui/controls/ui_style.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "settings/language_table.h"

namespace kest::ui {

namespace {

QString CjkFamily() {
  const std::string language = CurrentUiLanguage();
  if (language == "jp") return "Noto Sans CJK JP";
  if (language == "kr") return "Noto Sans CJK KR";
  return "Noto Sans CJK SC";
}

}  // namespace

QStringList FamiliesFor(Face face) {
  switch (face) {
    case Face::YaHei: return {CjkFamily(), "DejaVu Sans"};
    case Face::Arial:
    case Face::ShellDialog: break;
  }
  return {"DejaVu Sans", CjkFamily()};
}

QFont MakeFont(Face face, int cellHeight, int weight) {
  QFont font;
  font.setFamilies(FamiliesFor(face));
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setPixelSize(cellHeight);
  // The families differ in how much of the cell the em takes (DejaVu Sans 1.16 em, Noto Sans
  // CJK 1.45 em): measure and size the em so that ascent + descent fill the cell.
  qreal measured = QFontMetricsF(font).height();
  if (measured > 0) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(cellHeight * cellHeight /
                                                               measured))));
  }
  return font;
}

QFont DialogFont() {
  QFont font;
  font.setFamilies(FamiliesFor(Face::ShellDialog));
  font.setPixelSize(13);
  return font;
}

void PaintFormPanel(QWidget* page, const QRect& form, int marginX, int marginY) {
  QPainter p(page);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kPanelBorder, 1));
  p.setBrush(kPanelBackground);
  QRectF panel = QRectF(form.adjusted(-marginX, -marginY, marginX, marginY));
  p.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}

QString PageStyleSheet() {
  return QStringLiteral(R"(
QLineEdit, QComboBox {
  background: #ffffff;
  border: 1px solid #b9c6d6;
  border-radius: 4px;
  padding: 0 8px;
  color: #1d2733;
  selection-background-color: #1a6ec8;
}
QLineEdit:focus, QComboBox:focus { border: 1px solid #1a6ec8; }
QLineEdit:disabled, QComboBox:disabled { background: #f1f4f8; color: #6b7a8c; }
QComboBox::drop-down { border: none; width: 22px; }
QPushButton {
  background: #ffffff;
  border: 1px solid #b9c6d6;
  border-radius: 4px;
  padding: 0 14px;
  color: #1d2733;
}
QPushButton:hover { background: #f3f7fc; border-color: #1a6ec8; }
QPushButton:pressed { background: #e2ecf7; }
QPushButton:disabled { color: #98a5b5; background: #f1f4f8; }
QPushButton[primary="true"] {
  background: #1a6ec8;
  border: 1px solid #155ba6;
  color: #ffffff;
  font-weight: bold;
}
QPushButton[primary="true"]:hover { background: #1f7ad8; }
QPushButton[primary="true"]:pressed { background: #155ba6; }
QPushButton[primary="true"]:disabled { background: #8fb5de; border-color: #8fb5de; }
QCheckBox { color: #334155; }
QLabel { color: #334155; }
)");
}

}  // namespace kest::ui
