#include "app/ui/controls/combo_completion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace kest::ui {

CComboCompletion::CComboCompletion(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // Enter must never add the typed text as a new entry, and Qt's own inline completion would
  // fill in the rest of an entry while the user types.
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);

  list_ = new QCompleter(model(), this);
  list_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  list_->setCaseSensitivity(Qt::CaseInsensitive);
  list_->setWidget(this);
  connect(list_, qOverload<const QString&>(&QCompleter::activated), this,
          [this](const QString& entry) {
            int index = findText(entry, Qt::MatchFixedString | Qt::MatchCaseSensitive);
            if (index >= 0) setCurrentIndex(index);
            PostSelectionChanged();
          });
  connect(lineEdit(), &QLineEdit::textEdited, this, &CComboCompletion::OnTextEdited);
  connect(this, qOverload<int>(&QComboBox::activated), this,
          [this](int) { PostSelectionChanged(); });
}

bool CComboCompletion::IsListOpen() const {
  return list_->popup()->isVisible() || view()->isVisible();
}

void CComboCompletion::OnTextEdited(const QString& text) {
  const int typed = static_cast<int>(text.length());
  if (typed == 0) {
    CloseList();
    setEditText(QString());
    return;
  }
  if (findText(text, Qt::MatchStartsWith) >= 0) {
    // Opened after this edit has been shown, as the box's own notice would arrive; by then
    // later keys may have changed the text, so the rule is checked again.
    QTimer::singleShot(0, this, [this] {
      const QString now = currentText();
      if (!now.isEmpty() && findText(now, Qt::MatchStartsWith) >= 0) OpenList();
    });
    PostSelectionChanged();
  } else {
    CloseList();
    setEditText(text);
  }
  PostCaretAfter(typed);
}

void CComboCompletion::OpenList() {
  list_->setCompletionPrefix(QString());
  list_->complete();
  // No entry is current: Enter closes the list and keeps the typed text; the arrow keys or the
  // mouse choose an entry.
  list_->popup()->setCurrentIndex(QModelIndex());
}

void CComboCompletion::CloseList() {
  list_->popup()->hide();
  hidePopup();
}

void CComboCompletion::PostSelectionChanged() {
  QMetaObject::invokeMethod(this, [this] { emit selectionChanged(); }, Qt::QueuedConnection);
}

void CComboCompletion::PostCaretAfter(int length) {
  QMetaObject::invokeMethod(
      this,
      [this, length] {
        QLineEdit* edit = lineEdit();
        if (!edit) return;
        // The caret after the typed text, anything beyond it selected.
        int end = static_cast<int>(edit->text().length());
        if (end > length) {
          edit->setSelection(length, end - length);
        } else {
          edit->setCursorPosition(end);
        }
      },
      Qt::QueuedConnection);
}

void CComboCompletion::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QComboBox::keyPressEvent(event);
    return;
  }
  CloseList();
  QMetaObject::invokeMethod(this, [this] { emit selectionEnded(); }, Qt::QueuedConnection);
  if (!complete_on_enter_) {
    event->ignore();  // on to the page
    return;
  }
  int index = findText(currentText(), Qt::MatchStartsWith);
  if (index >= 0) setCurrentIndex(index);
  PostSelectionChanged();
  event->accept();
}

}  // namespace kest::ui
