#include "app/ui/controls/center_edit_text.h"

#include <QLineEdit>

namespace kest::ui {

void CenterEditText(QLineEdit* edit) {
  if (!edit) return;
  // A line edit keeps its line at the alignment it is given on every resize, so centring once
  // holds after the page has scaled the field.
  Qt::Alignment horizontal = edit->alignment() & Qt::AlignHorizontal_Mask;
  edit->setAlignment(horizontal | Qt::AlignVCenter);
}

}  // namespace kest::ui
