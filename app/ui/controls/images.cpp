#include "app/ui/controls/images.h"

#include <QIcon>

// The pictures live in a static library; naming their initialiser here makes the linker keep
// them in every program that uses them.
static void RegisterImages() { Q_INIT_RESOURCE(images); }

namespace kest::ui {

QString ImagePath(const QString& name) {
  static const bool registered = (RegisterImages(), true);
  (void)registered;
  return QStringLiteral(":/images/%1.png").arg(name);
}

QString ImagePath(int id) { return ImagePath(QString::number(id)); }

QPixmap LoadImage(int id) { return QPixmap(ImagePath(id)); }

QPixmap LoadImage(const QString& name) { return QPixmap(ImagePath(name)); }

QIcon ProgramIcon() {
  QIcon icon;
  icon.addFile(ImagePath(kIconProgram));
  for (int size : {48, 32, 16}) {
    icon.addFile(ImagePath(QStringLiteral("%1-%2").arg(kIconProgram).arg(size)));
  }
  return icon;
}

}  // namespace kest::ui
