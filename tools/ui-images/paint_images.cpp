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

// The palette shared with the window (app/ui/ui_style.h uses the same values).
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
  ok &= Save(ProgramIcon(256), folder, "128.png", out);
  // Small sizes rendered from the geometry at their own size, which keeps edges sharp where a
  // scaled-down 256 bitmap would blur.
  ok &= Save(ProgramIcon(48), folder, "128-48.png", out);
  ok &= Save(ProgramIcon(32), folder, "128-32.png", out);
  ok &= Save(ProgramIcon(16), folder, "128-16.png", out);
  return ok ? 0 : 1;
}
