#include "app/ui/controls/self_pstatic.h"

#include <QPainter>

#include "app/ui/controls/images.h"

namespace kest::ui {

CSelfPStatic::CSelfPStatic(QWidget* parent) : QWidget(parent) {}

void CSelfPStatic::setText(const QString& text) {
  text_ = text;
  update();
}

void CSelfPStatic::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setPen(textColour);
  if (font) p.setFont(*font);
  QRect item = rect();
  if (imageFlag) {
    QPixmap image = LoadImage(backgroundImage);
    if (!image.isNull()) p.drawPixmap(item, image);
  }
  if (centreFlag) {
    // Measure the wrapped text, then give it a band of its own height in the middle.
    QRect measured = p.boundingRect(item, Qt::AlignHCenter | Qt::TextWordWrap, text_);
    int shrink = (item.height() - measured.height()) / 2;
    item.adjust(0, shrink, 0, -shrink);
    p.drawText(item, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text_);
  } else {
    p.drawText(item, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
  }
}

}  // namespace kest::ui
