#pragma once
// CPellButton: the tab button of the main window. It paints the picture of its state stretched
// over the whole button and its caption in bold at the bottom, in its own text colour. The
// state is "pressed" while the left mouse button is down over it and "normal" otherwise.
//
// The owner marks the tab of the page on show with SetMarked(true); a marked tab shows its
// pressed picture, so the user sees which page is open.

#include <QAbstractButton>
#include <QColor>

namespace kest::ui {

class CPellButton final : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CPellButton(QWidget* parent = nullptr);

  // Sets both picture ids and turns the pictures on.
  void SetImages(int normalImage, int pressedImage);
  void SetTextColour(const QColor& colour);
  void SetMarked(bool marked);

  int state() const { return state_; }  // 0 normal, 1 pressed
  bool marked() const { return marked_; }
  bool imageFlag() const { return image_flag_; }
  int normalImage() const { return normal_image_; }
  int pressedImage() const { return pressed_image_; }
  QColor textColour() const { return text_colour_; }
  // The picture the button paints now; 0 when it paints none.
  int PaintedImage() const;

  QSize sizeHint() const override { return QSize(132, 81); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QFont CaptionFont(const QRect& room) const;

  QColor text_colour_ = Qt::white;
  int state_ = 0;
  int normal_image_ = 0;
  int pressed_image_ = 0;
  bool image_flag_ = false;
  bool marked_ = false;
};

}  // namespace kest::ui
