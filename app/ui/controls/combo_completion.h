#pragma once
// CComboCompletion: a serial-number box with an edit field that opens its list while the typed
// text is the beginning of one of its entries (letter case ignored), and closes it otherwise,
// keeping what was typed.
//
//   typing a beginning of an entry   list open, selectionChanged() posted
//   typing anything else             list closed, the typed text stays
//   deleting the whole text          list closed, field empty
//   Enter                            list closed, selectionEnded() posted; the key then goes
//                                    on to the page, which consumes it. With
//                                    SetCompleteOnEnter(true) the box takes the key itself and
//                                    puts the first entry that begins with the typed text into
//                                    the field, then posts selectionChanged().
//
// The list that opens while typing shows every entry and leaves the focus in the field.

#include <QComboBox>

class QCompleter;
class QKeyEvent;

namespace kest::ui {

class CComboCompletion final : public QComboBox {
  Q_OBJECT

 public:
  explicit CComboCompletion(QWidget* parent = nullptr);

  void SetCompleteOnEnter(bool on) { complete_on_enter_ = on; }
  bool IsListOpen() const;

 signals:
  void selectionChanged();  // the entry may have changed (posted, as the parent's notice)
  void selectionEnded();    // Enter closed the list (posted)

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnTextEdited(const QString& text);
  void OpenList();
  void CloseList();
  void PostSelectionChanged();
  void PostCaretAfter(int length);

  QCompleter* list_;
  bool complete_on_enter_ = false;
};

}  // namespace kest::ui
