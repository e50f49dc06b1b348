#pragma once
// The pictures compiled into the program (resources/images, one PNG per resource id).

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kest::ui {

// ":/images/<id>.png"; named pictures (the icon's small sizes, "128-32") likewise.
QString ImagePath(int id);
QString ImagePath(const QString& name);
// The picture of a resource id, loaded at every call as the windows do at every paint (Qt's
// pixmap cache keeps the decoded image); a null pixmap when there is none.
QPixmap LoadImage(int id);
QPixmap LoadImage(const QString& name);

// The program icon (resource 128), with its small sizes.
QIcon ProgramIcon();

// The picture ids.
inline constexpr int kIconProgram = 128;
inline constexpr int kImageHeaderBand = 130;
inline constexpr int kImageLoginTitle = 199;

}  // namespace kest::ui
