#pragma once
// Fonts and colours of the window program.
//
// The windows name two faces: "Arial" for the tab buttons and "微软雅黑" (Microsoft YaHei) for
// bold captions and the login title, and the pages use the dialog font "MS Shell Dlg". None of
// them exists on Linux; each maps to installed families that render Latin and CJK text (DejaVu
// Sans and Noto Sans CJK, installed by scripts/setup). The CJK family follows the interface
// language, so Japanese and Korean captions get their own glyph forms.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

namespace kest::ui {

enum class Face {
  Arial,        // tab buttons
  YaHei,        // "微软雅黑": bold captions, the login title
  ShellDialog,  // "MS Shell Dlg": every page control
};

// The installed families that stand for `face`, in the order Qt should try them.
QStringList FamiliesFor(Face face);

// A font of `face` whose character cell is `cellHeight` pixels high, as the height argument of
// the Windows font functions asks (the cell holds ascent and descent).
QFont MakeFont(Face face, int cellHeight, int weight = QFont::Normal);

// The font of every page control (the dialog font, about 8 points on a 96-dpi screen).
QFont DialogFont();

// Colours shared by the windows and the pictures under resources/images.
inline const QColor kPageBackground(0xEE, 0xF2, 0xF7);
inline const QColor kPanelBackground(0xFF, 0xFF, 0xFF);
inline const QColor kPanelBorder(0xD3, 0xDD, 0xE8);
inline const QColor kLabelText(0x33, 0x41, 0x55);
inline const QColor kLockedTabText(169, 199, 226);
inline const QColor kVersionTabText(188, 214, 237);

// The white panel with a thin border that stands behind a page's form: `form` is the
// rectangle its controls take, the panel leaves `margin` pixels around it.
void PaintFormPanel(QWidget* page, const QRect& form, int marginX, int marginY);

// The application-wide style sheet of the page controls (edits, buttons, check boxes).
QString PageStyleSheet();

}  // namespace kest::ui
