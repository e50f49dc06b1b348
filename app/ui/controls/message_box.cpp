#include "app/ui/controls/message_box.h"

#include <QMessageBox>

namespace kest::ui {

namespace {

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, kMessageBoxTitle, text, buttons, parent);
  box.setDefaultButton(defaultButton);
  return box.exec();
}

}  // namespace

void ShowInformation(QWidget* parent, const QString& text) {
  Show(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowPlain(QWidget* parent, const QString& text) {
  Show(parent, QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text) {
  return Show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
              QMessageBox::Yes) == QMessageBox::Yes;
}

}  // namespace kest::ui
