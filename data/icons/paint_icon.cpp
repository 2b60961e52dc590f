// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the program icon as PNG files for the desktop's icon theme:
//   stampwell_paint_icon <output folder> <icon name> <size>...
// writes <output folder>/<size>x<size>/apps/<icon name>.png for every size. The picture is
// the help document's logo drawn as vectors: a sheet of paper with a diagonal watermark
// band, on a light blue tile.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdio>
#include <cstdlib>

namespace {

// The picture on a 64 x 64 grid. minPen is the thinnest visible line in grid units at the
// size being painted, so that outlines keep at least one pixel at 16 x 16.
void PaintLogo(QPainter& p, double minPen) {
  auto pen = [minPen](const QColor& color, double width) {
    QPen result(color, width < minPen ? minPen : width);
    result.setJoinStyle(Qt::MiterJoin);
    return result;
  };

  // The tile.
  p.setPen(pen(QColor(150, 176, 210), 1.0));
  p.setBrush(QColor(214, 228, 245));
  p.drawRoundedRect(QRectF(1.5, 1.5, 61.0, 61.0), 9.0, 9.0);

  // The sheet, its upper right corner folded.
  const QPolygonF sheet({QPointF(13, 6), QPointF(43, 6), QPointF(52, 15), QPointF(52, 58),
                         QPointF(13, 58)});
  p.setPen(pen(QColor(64, 64, 64), 1.5));
  p.setBrush(Qt::white);
  p.drawPolygon(sheet);

  // Text lines, then the watermark across them, both kept inside the sheet.
  QPainterPath inside;
  inside.addPolygon(sheet);
  p.save();
  p.setClipPath(inside);
  p.setPen(pen(QColor(190, 196, 222), 2.0));
  for (int y = 14; y <= 52; y += 6) p.drawLine(QPointF(18, y), QPointF(y < 18 ? 38 : 47, y));
  QPen band(QColor(128, 128, 128, 200), 7.0);
  band.setCapStyle(Qt::FlatCap);
  p.setPen(band);
  p.drawLine(QPointF(9, 62), QPointF(56, 2));
  p.restore();

  p.setPen(pen(QColor(64, 64, 64), 1.5));
  p.setBrush(QColor(222, 222, 230));
  p.drawPolygon(QPolygonF({QPointF(43, 6), QPointF(43, 15), QPointF(52, 15)}));
}

bool WriteIcon(const QString& folder, const QString& name, int size) {
  const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
  if (!QDir().mkpath(dir)) return false;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double scale = size / 64.0;
    p.scale(scale, scale);
    PaintLogo(p, 1.0 / scale);
  }
  return image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <output folder> <icon name> <size>...\n", argv[0]);
    return 2;
  }
  // Painting shapes into an image needs no application object and no display.
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || !WriteIcon(folder, name, size)) {
      std::fprintf(stderr, "%s: cannot write the %s-pixel icon into %s\n", argv[0], argv[i],
                   argv[1]);
      return 1;
    }
  }
  return 0;
}
