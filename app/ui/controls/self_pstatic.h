#pragma once
// CSelfPStatic: a static text that paints an optional picture behind its text, in its own
// colour and font (the title bar of the login page). The owner sets the fields and calls
// update().

#include <QColor>
#include <QFont>
#include <QWidget>

namespace kest::ui {

class CSelfPStatic final : public QWidget {
  Q_OBJECT

 public:
  explicit CSelfPStatic(QWidget* parent = nullptr);

  QColor textColour = Qt::black;
  const QFont* font = nullptr;  // the owner's font; the widget's own font when null
  int backgroundImage = 0;      // picture id
  bool imageFlag = false;       // paint the picture, stretched over the control
  bool centreFlag = false;      // text centred both ways; else from the top left

  void setText(const QString& text);
  QString text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace kest::ui
