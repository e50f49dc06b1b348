#include "app/ui/controls/pell_button.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "app/ui/controls/images.h"
#include "app/ui/controls/ui_style.h"

namespace kest::ui {

CPellButton::CPellButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover, true);
}

void CPellButton::SetImages(int normalImage, int pressedImage) {
  normal_image_ = normalImage & 0xFFFF;
  pressed_image_ = pressedImage & 0xFFFF;
  image_flag_ = true;
  update();
}

void CPellButton::SetTextColour(const QColor& colour) {
  text_colour_ = colour;
  update();
}

void CPellButton::SetMarked(bool marked) {
  if (marked_ == marked) return;
  marked_ = marked;
  update();
}

int CPellButton::PaintedImage() const {
  if (!image_flag_ || (state_ != 0 && state_ != 1)) return 0;
  return (state_ == 1 || marked_) ? pressed_image_ : normal_image_;
}

QFont CPellButton::CaptionFont(const QRect& room) const {
  // The tab font is "Arial" with a 20-pixel cell; the caption draws it in bold "微软雅黑".
  // Long translations ("Versionsverwaltung") step down until they fit the tab's width.
  for (int cell = 20; cell >= 12; --cell) {
    QFont font = MakeFont(Face::YaHei, cell, QFont::Bold);
    if (QFontMetrics(font).horizontalAdvance(text()) <= room.width() - 6 || cell == 12) {
      return font;
    }
  }
  return MakeFont(Face::YaHei, 12, QFont::Bold);
}

void CPellButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  if (int image = PaintedImage()) {
    QPixmap picture = LoadImage(image);
    if (!picture.isNull()) p.drawPixmap(rect(), picture);
  }
  QRect caption = rect().adjusted(0, 0, 0, -3);
  p.setFont(CaptionFont(caption));
  p.setPen(text_colour_);
  p.drawText(caption, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, text());
}

void CPellButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    state_ = 1;
    update();
  }
  QAbstractButton::mousePressEvent(event);
}

void CPellButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    state_ = 0;
    update();
  }
  QAbstractButton::mouseReleaseEvent(event);
}

void CPellButton::leaveEvent(QEvent* event) {
  if (state_ != 0) {
    state_ = 0;
    update();
  }
  QAbstractButton::leaveEvent(event);
}

}  // namespace kest::ui
