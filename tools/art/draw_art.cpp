// Draws the pictures of both programs: each main window's picture (cut to its outline by the
// key colour of its bottom-left pixel) and each options dialog's picture.
//   draw_art OUTPUT_FOLDER                    the four pictures the programs embed
//   draw_art --icons NAME THEME_FOLDER SIZE...  NAME's desktop icon (orvane or tessik) at each
//                                             size, as THEME_FOLDER/SIZExSIZE/apps/NAME.png
//
// The shapes are drawn antialiased on a transparent canvas and then snapped: a pixel at least
// half covered becomes opaque (its soft edge blended into the outline colour), any other pixel
// becomes the key colour. No pixel of the shape ever equals the key, so the cut leaves neither
// a fringe of near-key pixels nor holes.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <algorithm>
#include <cstdio>

namespace {

QPainterPath Drop(qreal cx, qreal top, qreal r, qreal cy) {
  QPainterPath path;
  const qreal neck = cy - top;
  path.moveTo(cx, top);
  path.cubicTo(cx + 0.35 * r, top + 0.45 * neck, cx + r, cy - 0.6 * r, cx + r, cy);
  path.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), 0, -180);
  path.cubicTo(cx - r, cy - 0.6 * r, cx - 0.35 * r, top + 0.45 * neck, cx, top);
  path.closeSubpath();
  return path;
}

void DrawDrop(QPainter& p, const QPainterPath& drop, QColor light, QColor deep, QColor line) {
  const QRectF box = drop.boundingRect();
  QLinearGradient fill(box.topLeft(), box.bottomRight());
  fill.setColorAt(0, light);
  fill.setColorAt(1, deep);
  p.setPen(QPen(line, 2));
  p.setBrush(fill);
  p.drawPath(drop);
  // A soft reflection on the upper left of the bulb.
  const qreal r = box.width() / 2;
  const QPointF glint(box.left() + 0.62 * r, box.bottom() - 1.25 * r);
  QRadialGradient shine(glint, 0.42 * r);
  shine.setColorAt(0, QColor(255, 255, 255, 170));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shine);
  p.drawEllipse(glint, 0.42 * r, 0.42 * r);
}

void Text(QPainter& p, const QRectF& box, const QString& text, int pixels, bool bold, QColor colour,
          bool shadow) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  p.setFont(font);
  if (shadow) {
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(box.translated(1, 1), Qt::AlignCenter, text);
  }
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

// Snaps a drawing on a transparent canvas to opaque pixels and key pixels.
QImage Snap(const QImage& canvas, QColor key, QColor edge) {
  QImage out(canvas.size(), QImage::Format_RGB32);
  const QImage argb = canvas.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb px = argb.pixel(x, y);
      const int a = qAlpha(px);
      if (a < 128) {
        out.setPixel(x, y, key.rgb());
        continue;
      }
      auto mix = [a](int c, int e) { return (c * a + e * (255 - a)) / 255; };
      int r = mix(qRed(px), edge.red());
      int g = mix(qGreen(px), edge.green());
      int b = mix(qBlue(px), edge.blue());
      if (qRgb(r, g, b) == key.rgb()) {
        // Inside the shape a pixel may never read as the key colour.
        r = r > 127 ? r - 1 : r + 1;
      }
      out.setPixel(x, y, qRgb(r, g, b));
    }
  }
  return out;
}

QImage Canvas(int w, int h, QColor background) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(background);
  return image;
}

const QColor kDialogGrey(239, 239, 239);

// Orvane: a blue drop carrying a tag sign beside a red banner with the name.
void DrawOrvaneMain(QPainter& p) {
  QPainterPath banner;
  banner.addRoundedRect(QRectF(66, 30, 162, 60), 18, 18);
  QLinearGradient red(0, 30, 0, 90);
  red.setColorAt(0, QColor(240, 96, 64));
  red.setColorAt(1, QColor(176, 34, 24));
  p.setPen(QPen(QColor(100, 16, 10), 2));
  p.setBrush(red);
  p.drawPath(banner);
  Text(p, QRectF(92, 32, 136, 36), QStringLiteral("Orvane"), 27, true, Qt::white, true);
  Text(p, QRectF(92, 64, 136, 20), QStringLiteral("PDF \u2192 HTML"), 13, true,
       QColor(255, 232, 214), false);

  DrawDrop(p, Drop(50, 3, 44, 72), QColor(130, 215, 255), QColor(18, 84, 196), QColor(10, 38, 110));
  Text(p, QRectF(8, 52, 84, 44), QStringLiteral("</>"), 26, true, Qt::white, true);
}

void DrawOrvaneOptions(QPainter& p) {
  DrawDrop(p, Drop(44, 2, 38, 57), QColor(130, 215, 255), QColor(18, 84, 196), QColor(10, 38, 110));
  Text(p, QRectF(6, 38, 76, 30), QStringLiteral("</>"), 22, true, Qt::white, true);
  Text(p, QRectF(6, 66, 76, 18), QStringLiteral("HTML"), 12, true, QColor(255, 236, 200), true);
}

// Tessik: a green drop with the name, a help spot and a close spot.
void DrawTessik(QPainter& p) {
  DrawDrop(p, Drop(56, 2, 47, 59), QColor(150, 226, 120), QColor(24, 120, 56), QColor(14, 66, 28));
  Text(p, QRectF(10, 36, 92, 26), QStringLiteral("Tessik"), 19, true, Qt::white, true);
  Text(p, QRectF(10, 86, 92, 14), QStringLiteral("PDF \u2192 TXT"), 10, true, QColor(236, 255, 226),
       true);
  // The round spots behind the help sign and the close spot of the main window.
  p.setPen(QPen(QColor(14, 66, 28), 1));
  p.setBrush(QColor(236, 248, 228));
  p.drawEllipse(QPointF(48.5, 76.5), 6.5, 6.5);
  p.setBrush(QColor(214, 52, 40));
  p.drawEllipse(QPointF(72.5, 76.5), 6, 6);
  p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(70, 74), QPointF(75, 79));
  p.drawLine(QPointF(75, 74), QPointF(70, 79));
  p.setPen(QColor(14, 66, 28));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRectF(42, 70, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

bool Save(const QImage& image, const QString& path) {
  if (!image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

// A desktop icon: the main window's picture, drawn again at the icon's scale (so every size is
// sharp) and centred on a transparent square. Unlike the window, an icon keeps its soft edges.
QImage Icon(void (*draw)(QPainter&), QSizeF picture, int size) {
  QImage canvas = Canvas(size, size, Qt::transparent);
  QPainter p(&canvas);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const qreal scale = size / std::max(picture.width(), picture.height());
  p.translate((size - scale * picture.width()) / 2, (size - scale * picture.height()) / 2);
  p.scale(scale, scale);
  draw(p);
  p.end();
  return canvas;
}

int DrawIcons(const QString& name, const QString& theme, const QStringList& sizes) {
  void (*draw)(QPainter&) = nullptr;
  QSizeF picture;
  if (name == QLatin1String("orvane")) {
    draw = DrawOrvaneMain;
    picture = QSizeF(232, 120);
  } else if (name == QLatin1String("tessik")) {
    draw = DrawTessik;
    picture = QSizeF(114, 109);
  } else {
    std::fprintf(stderr, "no icon for %s\n", qPrintable(name));
    return 2;
  }
  bool ok = !sizes.isEmpty();
  for (const QString& text : sizes) {
    const int size = text.toInt();
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "not an icon size: %s\n", qPrintable(text));
      return 2;
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
      return 1;
    }
    ok &= Save(Icon(draw, picture, size), folder + "/" + name + ".png");
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() >= 4 && arguments[1] == QLatin1String("--icons")) {
    return DrawIcons(arguments[2], arguments[3], arguments.mid(4));
  }
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: draw_art OUTPUT_FOLDER\n"
                 "       draw_art --icons orvane|tessik THEME_FOLDER SIZE...\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  {
    QImage canvas = Canvas(232, 120, Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    DrawOrvaneMain(p);
    p.end();
    ok &= Save(Snap(canvas, Qt::black, QColor(10, 38, 110)), folder + "/orvane-picture.png");
  }
  {
    QImage canvas = Canvas(88, 97, kDialogGrey);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    DrawOrvaneOptions(p);
    p.end();
    ok &= Save(canvas.convertToFormat(QImage::Format_RGB32), folder + "/orvane-options.png");
  }
  {
    QImage canvas = Canvas(114, 109, Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTessik(p);
    p.end();
    ok &= Save(Snap(canvas, Qt::white, QColor(14, 66, 28)), folder + "/tessik-picture.png");
  }
  {
    QImage canvas = Canvas(114, 109, kDialogGrey);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTessik(p);
    p.end();
    ok &= Save(canvas.convertToFormat(QImage::Format_RGB32), folder + "/tessik-options.png");
  }
  return ok ? 0 : 1;
}
