#include "app/ui/controls/page_key_filter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace kest::ui {

namespace {

class PageKeyFilter final : public QObject {
 public:
  PageKeyFilter(QWidget* page, std::vector<QWidget*> inputs, std::function<void()> command)
      : QObject(page), page_(page), command_(std::move(command)) {
    for (QWidget* input : inputs) inputs_.emplace_back(input);
    for (QPushButton* button : page->findChildren<QPushButton*>()) {
      button->setAutoDefault(false);
      button->setDefault(false);
    }
    page->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != page_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape:
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (FocusInInput() && command_) command_();
        return true;
      default:
        return false;
    }
  }

 private:
  bool FocusInInput() const {
    // The focus within the page's window: the key came from there, also while a box that was
    // just closed has not yet given the window back its activation.
    QWidget* focus = page_->window()->focusWidget();
    for (const QPointer<QWidget>& input : inputs_) {
      if (input && focus && (focus == input || input->isAncestorOf(focus))) return true;
    }
    return false;
  }

  QWidget* page_;
  std::vector<QPointer<QWidget>> inputs_;
  std::function<void()> command_;
};

}  // namespace

void InstallPageKeyFilter(QWidget* page, std::vector<QWidget*> inputFields,
                          std::function<void()> mainCommand) {
  if (page) new PageKeyFilter(page, std::move(inputFields), std::move(mainCommand));
}

}  // namespace kest::ui
