#include "app/ui/controls/proportional_layout.h"

#include <QEvent>
#include <QObject>
#include <QResizeEvent>
#include <QWidget>

namespace kest::ui {

namespace {

class ProportionalLayout final : public QObject {
 public:
  explicit ProportionalLayout(QWidget* page)
      : QObject(page), page_(page), reference_(page->size()) {
    page->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == page_ && event->type() == QEvent::Resize) Rescale();
    return false;
  }

 private:
  void Rescale() {
    QSize now = page_->size();
    if (reference_.width() > 0 && reference_.height() > 0 && now != reference_) {
      float fx = static_cast<float>(now.width()) / static_cast<float>(reference_.width());
      float fy = static_cast<float>(now.height()) / static_cast<float>(reference_.height());
      for (QObject* object : page_->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow()) continue;
        child->setGeometry(ScaleEdges(child->geometry(), fx, fy));
      }
    }
    reference_ = now;
  }

  QWidget* page_;
  QSize reference_;
};

int Scale(int edge, float factor) {
  return static_cast<int>(static_cast<float>(edge) * factor);
}

}  // namespace

QRect ScaleEdges(const QRect& rect, float factorX, float factorY) {
  int left = Scale(rect.x(), factorX);
  int top = Scale(rect.y(), factorY);
  int right = Scale(rect.x() + rect.width(), factorX);
  int bottom = Scale(rect.y() + rect.height(), factorY);
  return QRect(left, top, right - left, bottom - top);
}

void InstallProportionalLayout(QWidget* page) {
  if (page) new ProportionalLayout(page);
}

}  // namespace kest::ui
