// kest-paint-images: paints the window program's pictures with QPainter and writes them as
// PNG files named after their resource ids (130.png, 141.png, ...). The output is committed
// under resources/images/ and compiled into the program; run this again after changing a
// picture:
//
//   kest-paint-images resources/images
//
// Everything is drawn from geometry and two fonts installed by scripts/setup, so the same
// machine setup gives the same files.

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

// The palette shared with the window (app/ui/controls/ui_style.h uses the same values).
const QColor kBandTop(0x0A, 0x2E, 0x57);
const QColor kBandBottom(0x0F, 0x4A, 0x86);
const QColor kAccent(0x5C, 0xB8, 0xFF);
const QColor kGlyph(0xFF, 0xFF, 0xFF);
const QColor kGlyphDisabled(169, 199, 226);  // the caption colour of a locked tab

constexpr int kTabWidth = 132;
constexpr int kTabHeight = 81;
constexpr int kBandWidth = 1200;
constexpr int kBandHeight = 88;  // tab top 6 + tab height 81 + the 1 pixel below the tabs

QImage NewImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// ---- Tab glyphs: each drawn into a 40 x 40 box centred at the origin, stroke-based ----

QPen GlyphPen(const QColor& colour, qreal width = 3.2) {
  QPen pen(colour, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void HouseGlyph(QPainter& p, const QColor& c) {
  p.setPen(GlyphPen(c));
  p.setBrush(Qt::NoBrush);
  QPainterPath roof;
  roof.moveTo(-17, -1);
  roof.lineTo(0, -16);
  roof.lineTo(17, -1);
  p.drawPath(roof);
  QPainterPath body;
  body.moveTo(-12, -5);
  body.lineTo(-12, 15);
  body.lineTo(12, 15);
  body.lineTo(12, -5);
  p.drawPath(body);
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(-4, 4, 8, 11), 1.5, 1.5);
}

void KeyGlyph(QPainter& p, const QColor& c) {
  p.setPen(GlyphPen(c));
  p.setBrush(Qt::NoBrush);
  p.save();
  p.rotate(-40);
  p.drawEllipse(QPointF(-10, 0), 7.5, 7.5);
  p.drawLine(QPointF(-2.5, 0), QPointF(18, 0));
  p.drawLine(QPointF(11, 0), QPointF(11, 6));
  p.drawLine(QPointF(16, 0), QPointF(16, 5));
  p.restore();
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.save();
  p.rotate(-40);
  p.drawEllipse(QPointF(-10, 0), 2.2, 2.2);
  p.restore();
}

// A storage card with a download arrow: the update.
void CardGlyph(QPainter& p, const QColor& c) {
  p.setPen(GlyphPen(c));
  p.setBrush(Qt::NoBrush);
  QPainterPath card;
  card.moveTo(-8, -17);
  card.lineTo(13, -17);
  card.lineTo(13, 17);
  card.lineTo(-13, 17);
  card.lineTo(-13, -12);
  card.closeSubpath();
  p.drawPath(card);
  p.drawLine(QPointF(0, -9), QPointF(0, 8));
  p.drawLine(QPointF(-6, 2), QPointF(0, 8));
  p.drawLine(QPointF(6, 2), QPointF(0, 8));
}

// Stacked layers: versions.
void LayersGlyph(QPainter& p, const QColor& c) {
  p.setPen(GlyphPen(c));
  auto layer = [&](qreal y, bool filled) {
    QPainterPath path;
    path.moveTo(0, y - 8);
    path.lineTo(17, y);
    path.lineTo(0, y + 8);
    path.lineTo(-17, y);
    path.closeSubpath();
    QColor fill = c;
    fill.setAlphaF(filled ? 0.35f : 0.0f);
    p.setBrush(fill);
    p.drawPath(path);
  };
  layer(10, false);
  layer(2, false);
  layer(-7, true);
}

void PowerGlyph(QPainter& p, const QColor& c) {
  p.setPen(GlyphPen(c));
  p.setBrush(Qt::NoBrush);
  QRectF ring(-14, -12, 28, 28);
  p.drawArc(ring, 120 * 16, 300 * 16);
  p.drawLine(QPointF(0, -17), QPointF(0, 0));
}

enum class TabLook { Normal, Pressed, Locked };

QImage Tab(const std::function<void(QPainter&, const QColor&)>& glyph, TabLook look) {
  QImage image = NewImage(kTabWidth, kTabHeight);
  QPainter p(&image);
  Smooth(p);
  QRectF tile(3.5, 2.5, kTabWidth - 7, kTabHeight - 5);
  if (look == TabLook::Pressed) {
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, QColor(255, 255, 255, 62));
    fill.setColorAt(1, QColor(255, 255, 255, 30));
    p.setBrush(fill);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawRoundedRect(tile, 7, 7);
    // The accent under a pressed tab reads as "this one" from across the workshop.
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(18, kTabHeight - 5, kTabWidth - 36, 3), 1.5, 1.5);
  } else if (look == TabLook::Normal) {
    p.setBrush(QColor(255, 255, 255, 14));
    p.setPen(QPen(QColor(255, 255, 255, 26), 1));
    p.drawRoundedRect(tile, 7, 7);
  }
  QColor colour = look == TabLook::Locked ? kGlyphDisabled : kGlyph;
  if (look == TabLook::Locked) colour.setAlpha(150);
  p.translate(kTabWidth / 2.0, look == TabLook::Pressed ? 31 : 30);
  glyph(p, colour);
  return image;
}

// ---- The header band (130) ----

void Wordmark(QPainter& p) {
  // The small card-and-arrow mark of the program icon, then the product name.
  QRectF mark(24, 20, 48, 48);
  QLinearGradient tile(mark.topLeft(), mark.bottomLeft());
  tile.setColorAt(0, QColor(0x2D, 0x8C, 0xE6));
  tile.setColorAt(1, QColor(0x1A, 0x66, 0xB8));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(mark, 10, 10);
  p.save();
  p.translate(mark.center());
  p.scale(0.85, 0.85);
  CardGlyph(p, Qt::white);
  p.restore();

  QFont name("DejaVu Sans");
  name.setPixelSize(27);
  name.setBold(true);
  name.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
  p.setFont(name);
  p.setPen(Qt::white);
  p.drawText(QPointF(86, 45), "KEST");
  QFont sub("DejaVu Sans");
  sub.setPixelSize(15);
  sub.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
  p.setFont(sub);
  p.setPen(QColor(0xBF, 0xDB, 0xF5));
  p.drawText(QPointF(87, 66), "Update Utility");
}

QImage HeaderBand() {
  QImage image = NewImage(kBandWidth, kBandHeight);
  QPainter p(&image);
  Smooth(p);
  QLinearGradient base(0, 0, 0, kBandHeight);
  base.setColorAt(0, kBandTop);
  base.setColorAt(1, kBandBottom);
  p.fillRect(image.rect(), base);
  // A soft light from the upper left, and two quiet diagonal bands behind the tabs.
  QRadialGradient glow(QPointF(160, -40), 420);
  glow.setColorAt(0, QColor(255, 255, 255, 34));
  glow.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(image.rect(), glow);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 2; ++i) {
    QPainterPath stripe;
    qreal x = 430 + i * 90;
    stripe.moveTo(x, kBandHeight);
    stripe.lineTo(x + 70, 0);
    stripe.lineTo(x + 110, 0);
    stripe.lineTo(x + 40, kBandHeight);
    stripe.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 7 + 3 * i));
    p.drawPath(stripe);
  }
  // The line that separates the band from the page.
  p.fillRect(QRectF(0, kBandHeight - 2, kBandWidth, 2), QColor(0x2F, 0x7D, 0xC9));
  Wordmark(p);
  return image;
}

// ---- The login title bar (199), 287 x 32, stretched over the title control ----

QImage TitleBar() {
  QImage image = NewImage(287, 32);
  QPainter p(&image);
  Smooth(p);
  QLinearGradient fill(0, 0, 0, 32);
  fill.setColorAt(0, QColor(0x1C, 0x68, 0xB5));
  fill.setColorAt(1, QColor(0x0F, 0x4A, 0x86));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(0, 0, 287, 32), 4, 4);
  p.setBrush(QColor(255, 255, 255, 36));
  p.drawRect(QRectF(4, 1, 279, 1));
  return image;
}

// ---- The program icon (128), 256 x 256: a blue tile with a storage card and an arrow ----

QImage ProgramIcon(int size) {
  QImage image = NewImage(size, size);
  QPainter p(&image);
  Smooth(p);
  qreal s = size / 256.0;
  p.scale(s, s);
  QRectF tile(12, 12, 232, 232);
  QLinearGradient fill(tile.topLeft(), tile.bottomRight());
  fill.setColorAt(0, QColor(0x2D, 0x8C, 0xE6));
  fill.setColorAt(1, QColor(0x0B, 0x3D, 0x74));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(tile, 48, 48);

  QPainterPath card;
  card.moveTo(104, 48);
  card.lineTo(180, 48);
  card.quadTo(192, 48, 192, 60);
  card.lineTo(192, 196);
  card.quadTo(192, 208, 180, 208);
  card.lineTo(76, 208);
  card.quadTo(64, 208, 64, 196);
  card.lineTo(64, 88);
  card.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(card);
  // Contacts along the top of the card.
  p.setBrush(QColor(0x0F, 0x4A, 0x86));
  for (int i = 0; i < 4; ++i) p.drawRoundedRect(QRectF(112 + i * 18, 60, 10, 24), 3, 3);
  // The arrow.
  QPen arrow(QColor(0x1A, 0x6E, 0xC8), 18);
  arrow.setCapStyle(Qt::RoundCap);
  arrow.setJoinStyle(Qt::RoundJoin);
  p.setPen(arrow);
  p.drawLine(QPointF(128, 104), QPointF(128, 176));
  p.drawLine(QPointF(100, 150), QPointF(128, 178));
  p.drawLine(QPointF(156, 150), QPointF(128, 178));
  return image;
}

// ---- The picture beside the login form: the update server, a scanner and its card ----

void Cloud(QPainter& p, const QPointF& centre, qreal scale, const QColor& fill) {
  // Opaque parts, painted one over the other.
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawEllipse(centre + QPointF(-38, 6) * scale, 30 * scale, 26 * scale);
  p.drawEllipse(centre + QPointF(0, -14) * scale, 40 * scale, 38 * scale);
  p.drawEllipse(centre + QPointF(40, 6) * scale, 30 * scale, 26 * scale);
  p.drawRoundedRect(QRectF(centre + QPointF(-62, 0) * scale, QSizeF(124, 32) * scale),
                    16 * scale, 16 * scale);
}

QImage LoginArt() {
  const int w = 540, h = 380;
  QImage image = NewImage(w, h);
  QPainter p(&image);
  Smooth(p);

  // A quiet disc behind everything.
  QRadialGradient disc(QPointF(280, 200), 190);
  disc.setColorAt(0, QColor(0xD9, 0xE7, 0xF6));
  disc.setColorAt(1, QColor(0xD9, 0xE7, 0xF6, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(disc);
  p.drawEllipse(QPointF(280, 200), 190, 190);

  // The update server, and the dotted way down to the card.
  Cloud(p, QPointF(400, 78), 0.9, QColor(0x2D, 0x8C, 0xE6));
  QPen arrow(Qt::white, 7);
  arrow.setCapStyle(Qt::RoundCap);
  p.setPen(arrow);
  p.drawLine(QPointF(400, 58), QPointF(400, 92));
  p.drawLine(QPointF(388, 81), QPointF(400, 93));
  p.drawLine(QPointF(412, 81), QPointF(400, 93));
  QPen dots(QColor(0x2D, 0x8C, 0xE6), 4);
  dots.setCapStyle(Qt::RoundCap);
  dots.setDashPattern({0.1, 3});
  p.setPen(dots);
  p.drawLine(QPointF(400, 122), QPointF(400, 196));

  // The scanner: a handheld tablet in a bumper, a car on its screen and a progress bar.
  QRectF body(120, 120, 220, 220);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1B, 0x2E, 0x47));
  p.drawRoundedRect(body, 26, 26);
  p.setBrush(QColor(0x24, 0x3B, 0x5A));
  p.drawRoundedRect(body.adjusted(10, 10, -10, -10), 18, 18);
  QRectF screen = body.adjusted(24, 24, -24, -54);
  QLinearGradient glass(screen.topLeft(), screen.bottomLeft());
  glass.setColorAt(0, QColor(0xF4, 0xF8, 0xFD));
  glass.setColorAt(1, QColor(0xDD, 0xEA, 0xF8));
  p.setBrush(glass);
  p.drawRoundedRect(screen, 8, 8);
  // The car.
  QPainterPath car;
  qreal cx = screen.center().x(), cy = screen.top() + 62;
  car.moveTo(cx - 58, cy + 12);
  car.lineTo(cx - 58, cy - 2);
  car.quadTo(cx - 56, cy - 10, cx - 44, cy - 12);
  car.lineTo(cx - 26, cy - 30);
  car.quadTo(cx - 20, cy - 34, cx - 10, cy - 34);
  car.lineTo(cx + 18, cy - 34);
  car.quadTo(cx + 28, cy - 34, cx + 34, cy - 26);
  car.lineTo(cx + 44, cy - 12);
  car.quadTo(cx + 58, cy - 10, cx + 58, cy + 2);
  car.lineTo(cx + 58, cy + 12);
  car.closeSubpath();
  p.setBrush(QColor(0x1A, 0x6E, 0xC8));
  p.drawPath(car);
  p.setBrush(QColor(0xF4, 0xF8, 0xFD));
  p.drawRoundedRect(QRectF(cx - 20, cy - 28, 22, 14), 3, 3);
  p.drawRoundedRect(QRectF(cx + 6, cy - 28, 22, 14), 3, 3);
  p.setBrush(QColor(0x1B, 0x2E, 0x47));
  p.drawEllipse(QPointF(cx - 32, cy + 12), 11, 11);
  p.drawEllipse(QPointF(cx + 32, cy + 12), 11, 11);
  p.setBrush(QColor(0xF4, 0xF8, 0xFD));
  p.drawEllipse(QPointF(cx - 32, cy + 12), 4, 4);
  p.drawEllipse(QPointF(cx + 32, cy + 12), 4, 4);
  // The progress bar.
  QRectF bar(screen.left() + 18, screen.bottom() - 26, screen.width() - 36, 9);
  p.setBrush(QColor(0xC4, 0xD6, 0xEA));
  p.drawRoundedRect(bar, 4.5, 4.5);
  p.setBrush(QColor(0x2D, 0x8C, 0xE6));
  p.drawRoundedRect(QRectF(bar.topLeft(), QSizeF(bar.width() * 0.68, bar.height())), 4.5, 4.5);
  // Three keys under the screen.
  for (int i = 0; i < 3; ++i) {
    p.setBrush(i == 1 ? QColor(0x2D, 0x8C, 0xE6) : QColor(0x3A, 0x55, 0x78));
    p.drawRoundedRect(QRectF(body.center().x() - 52 + i * 38, body.bottom() - 40, 28, 14), 7, 7);
  }

  // The storage card, on its way into the scanner.
  p.save();
  p.translate(400, 250);
  p.rotate(8);
  QPainterPath card;
  card.moveTo(-30, -48);
  card.lineTo(24, -48);
  card.quadTo(32, -48, 32, -40);
  card.lineTo(32, 42);
  card.quadTo(32, 50, 24, 50);
  card.lineTo(-32, 50);
  card.quadTo(-40, 50, -40, 42);
  card.lineTo(-40, -38);
  card.closeSubpath();
  p.setBrush(QColor(0, 0, 0, 28));
  p.drawPath(card.translated(3, 5));
  p.setBrush(Qt::white);
  p.setPen(QPen(QColor(0xB9, 0xC9, 0xDC), 1.5));
  p.drawPath(card);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0F, 0x4A, 0x86));
  for (int i = 0; i < 4; ++i) p.drawRoundedRect(QRectF(-24 + i * 13, -40, 7, 16), 2, 2);
  p.setBrush(QColor(0x2D, 0x8C, 0xE6));
  p.drawRoundedRect(QRectF(-30, 4, 54, 30), 4, 4);
  p.restore();

  // A tick: the card is up to date.
  p.setBrush(QColor(0x2E, 0xA0, 0x5B));
  p.drawEllipse(QPointF(448, 312), 22, 22);
  QPen tick(Qt::white, 5);
  tick.setCapStyle(Qt::RoundCap);
  tick.setJoinStyle(Qt::RoundJoin);
  p.setPen(tick);
  p.setBrush(Qt::NoBrush);
  QPainterPath mark;
  mark.moveTo(438, 312);
  mark.lineTo(445, 319);
  mark.lineTo(459, 304);
  p.drawPath(mark);
  return image;
}

bool Save(const QImage& image, const QString& folder, const QString& name, QTextStream& out) {
  QString path = QDir(folder).filePath(name);
  if (!image.save(path, "PNG")) {
    out << "cannot write " << path << "\n";
    return false;
  }
  out << path << " " << image.width() << "x" << image.height() << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTextStream out(stdout);
  if (argc != 2) {
    out << "usage: kest-paint-images OUTPUT_FOLDER\n";
    return 2;
  }
  QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  struct TabSet {
    std::function<void(QPainter&, const QColor&)> glyph;
    int normal, pressed, locked;  // 0: the tab has no such picture
  };
  const TabSet tabs[] = {
      {HouseGlyph, 141, 142, 0},  // Home
      {KeyGlyph, 171, 172, 193},  // Password Reset
      {CardGlyph, 143, 144, 185},  // Update
      {LayersGlyph, 180, 181, 200},  // Ver. Management
      {PowerGlyph, 176, 177, 0},  // Quit
  };
  bool ok = true;
  for (const TabSet& tab : tabs) {
    ok &= Save(Tab(tab.glyph, TabLook::Normal), folder, QString("%1.png").arg(tab.normal), out);
    ok &= Save(Tab(tab.glyph, TabLook::Pressed), folder, QString("%1.png").arg(tab.pressed), out);
    if (tab.locked) {
      ok &= Save(Tab(tab.glyph, TabLook::Locked), folder, QString("%1.png").arg(tab.locked), out);
    }
  }
  ok &= Save(HeaderBand(), folder, "130.png", out);
  ok &= Save(TitleBar(), folder, "199.png", out);
  ok &= Save(LoginArt(), folder, "login-art.png", out);
  ok &= Save(ProgramIcon(256), folder, "128.png", out);
  // Small sizes rendered from the geometry at their own size, which keeps edges sharp where a
  // scaled-down 256 bitmap would blur.
  ok &= Save(ProgramIcon(48), folder, "128-48.png", out);
  ok &= Save(ProgramIcon(32), folder, "128-32.png", out);
  ok &= Save(ProgramIcon(16), folder, "128-16.png", out);
  return ok ? 0 : 1;
}
