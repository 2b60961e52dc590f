// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/images/image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace stampwell {
namespace {

// Every picture is drawn on a 16 x 16 grid and scaled to its pixel size.
using Painter = void (*)(QPainter&);

QPixmap Paint(int size, Painter painter) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 16.0, size / 16.0);
  painter(p);
  return pixmap;
}

QPen Pen(const QColor& color, double width = 1.0) {
  QPen pen(color, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// A sheet with a folded corner, a few text lines, a box in its lower corner and a pencil.
void Document(QPainter& p) {
  QPolygonF sheet;
  sheet << QPointF(1.5, 0.5) << QPointF(8.5, 0.5) << QPointF(11.5, 3.5) << QPointF(11.5, 15.5)
        << QPointF(1.5, 15.5);
  p.setPen(Pen(QColor(70, 70, 90), 0.8));
  p.setBrush(Qt::white);
  p.drawPolygon(sheet);
  p.setBrush(QColor(220, 220, 230));
  QPolygonF fold;
  fold << QPointF(8.5, 0.5) << QPointF(8.5, 3.5) << QPointF(11.5, 3.5);
  p.drawPolygon(fold);
  p.setPen(Pen(QColor(120, 140, 190), 0.7));
  for (double y : {3.5, 5.5, 7.5}) p.drawLine(QPointF(3, y), QPointF(y < 4 ? 7 : 10, y));
  // The corner box the animation writes into.
  p.setPen(Pen(QColor(40, 90, 170), 0.8));
  p.setBrush(QColor(235, 242, 255));
  p.drawRect(QRectF(5.0, 9.0, 6.0, 5.5));
  // Pencil lying across the upper right corner.
  p.save();
  p.translate(12.6, 6.4);
  p.rotate(-45);
  p.setPen(Pen(QColor(120, 80, 20), 0.5));
  p.setBrush(QColor(245, 190, 40));
  p.drawRect(QRectF(-1.0, -5.5, 2.0, 7.5));
  p.setBrush(QColor(240, 150, 150));
  p.drawRect(QRectF(-1.0, -6.8, 2.0, 1.3));
  QPolygonF tip;
  tip << QPointF(-1.0, 2.0) << QPointF(1.0, 2.0) << QPointF(0.0, 4.2);
  p.setBrush(QColor(240, 220, 180));
  p.drawPolygon(tip);
  p.restore();
}

// The letter in the corner box, drawn with its first `strokes` of four strokes.
void Letter(QPainter& p, int strokes) {
  static const QPointF points[] = {{5.8, 9.9}, {6.9, 13.6}, {8.0, 10.8}, {9.1, 13.6}, {10.2, 9.9}};
  p.setPen(Pen(QColor(200, 30, 30), 1.1));
  for (int i = 0; i < strokes && i < 4; ++i) p.drawLine(points[i], points[i + 1]);
}

template <int Strokes>
void DocumentFrame(QPainter& p) {
  Document(p);
  Letter(p, Strokes);
}

void RedCross(QPainter& p) {
  p.setPen(Pen(QColor(200, 20, 20), 2.6));
  p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void GreenTriangle(QPainter& p) {
  QPolygonF tri;
  tri << QPointF(4, 2.5) << QPointF(13.5, 8) << QPointF(4, 13.5);
  p.setPen(Pen(QColor(20, 110, 30), 0.9));
  p.setBrush(QColor(50, 180, 60));
  p.drawPolygon(tri);
}

void TwoBars(QPainter& p) {
  p.setPen(Pen(QColor(30, 60, 130), 0.8));
  p.setBrush(QColor(70, 120, 210));
  p.drawRect(QRectF(3.5, 2.5, 3.0, 11.0));
  p.drawRect(QRectF(9.5, 2.5, 3.0, 11.0));
}

void Square(QPainter& p) {
  p.setPen(Pen(QColor(110, 20, 20), 0.8));
  p.setBrush(QColor(190, 50, 50));
  p.drawRect(QRectF(3.5, 3.5, 9.0, 9.0));
}

void QuestionMark(QPainter& p) {
  p.setPen(Pen(QColor(20, 60, 160), 0.8));
  p.setBrush(QColor(60, 120, 220));
  p.drawEllipse(QRectF(1.0, 1.0, 14.0, 14.0));
  QFont font;
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(1.0, 1.0, 14.0, 14.0), Qt::AlignCenter, QStringLiteral("?"));
}

void DoorWithArrow(QPainter& p) {
  p.setPen(Pen(QColor(90, 50, 20), 0.8));
  p.setBrush(QColor(170, 110, 60));
  p.drawRect(QRectF(1.5, 1.5, 7.0, 13.0));
  p.setBrush(QColor(250, 220, 80));
  p.drawEllipse(QPointF(7.0, 8.5), 0.7, 0.7);
  p.setPen(Pen(QColor(20, 120, 40), 1.6));
  p.drawLine(QPointF(8.5, 8), QPointF(14.5, 8));
  p.drawLine(QPointF(14.5, 8), QPointF(12.0, 5.5));
  p.drawLine(QPointF(14.5, 8), QPointF(12.0, 10.5));
}

void FolderBack(QPainter& p) {
  QPolygonF back;
  back << QPointF(0.5, 3.0) << QPointF(5.5, 3.0) << QPointF(7.0, 4.5) << QPointF(14.5, 4.5)
       << QPointF(14.5, 13.5) << QPointF(0.5, 13.5);
  p.setPen(Pen(QColor(150, 110, 20), 0.8));
  p.setBrush(QColor(230, 185, 60));
  p.drawPolygon(back);
}

void OpenFolder(QPainter& p) {
  FolderBack(p);
  QPolygonF front;
  front << QPointF(3.0, 7.0) << QPointF(15.5, 7.0) << QPointF(13.0, 13.5) << QPointF(0.5, 13.5);
  p.setBrush(QColor(250, 215, 100));
  p.drawPolygon(front);
}

void ClosedFolder(QPainter& p) {
  FolderBack(p);
  p.setBrush(QColor(245, 205, 85));
  p.drawRect(QRectF(0.5, 6.0, 14.0, 7.5));
}

void FloppyDisk(QPainter& p) {
  p.setPen(Pen(QColor(30, 30, 60), 0.8));
  p.setBrush(QColor(60, 80, 150));
  p.drawRect(QRectF(1.5, 1.5, 13.0, 13.0));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.0, 1.5, 8.0, 5.0));
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(4.0, 9.5, 8.0, 5.0));
}

void ArrowOut(QPainter& p) {
  p.setPen(Pen(QColor(70, 70, 90), 0.8));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 3.5, 8.0, 11.0));
  p.setPen(Pen(QColor(20, 120, 40), 1.6));
  p.drawLine(QPointF(6, 9), QPointF(14.5, 9));
  p.drawLine(QPointF(14.5, 9), QPointF(12, 6.5));
  p.drawLine(QPointF(14.5, 9), QPointF(12, 11.5));
}

void ArrowIn(QPainter& p) {
  p.setPen(Pen(QColor(70, 70, 90), 0.8));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 3.5, 8.0, 11.0));
  p.setPen(Pen(QColor(20, 80, 170), 1.6));
  p.drawLine(QPointF(1, 9), QPointF(10, 9));
  p.drawLine(QPointF(10, 9), QPointF(7.5, 6.5));
  p.drawLine(QPointF(10, 9), QPointF(7.5, 11.5));
}

void Gear(QPainter& p) {
  p.setPen(Pen(QColor(80, 80, 80), 2.0));
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(8, 8);
    p.rotate(i * 45);
    p.drawLine(QPointF(0, 4.5), QPointF(0, 6.8));
    p.restore();
  }
  p.setPen(Pen(QColor(80, 80, 80), 0.8));
  p.setBrush(QColor(170, 170, 170));
  p.drawEllipse(QPointF(8, 8), 4.8, 4.8);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
}

}  // namespace

const TImageList& TImageList::MainImages() {
  static const TImageList list([] {
    const Painter painters[kMainCount] = {
        DocumentFrame<0>, DocumentFrame<1>, DocumentFrame<2>, DocumentFrame<3>, DocumentFrame<4>,
        FloppyDisk,       ArrowOut,         ArrowIn,          RedCross,         GreenTriangle,
        TwoBars,          Square,           QuestionMark,     DoorWithArrow,    Gear,
        OpenFolder,       ClosedFolder};
    std::vector<QPixmap> images;
    for (Painter painter : painters) images.push_back(Paint(16, painter));
    return images;
  }());
  return list;
}

const TImageList& TImageList::ProgressFrames() {
  static const TImageList list([] {
    const Painter painters[kFrameCount] = {DocumentFrame<0>, DocumentFrame<1>, DocumentFrame<2>,
                                           DocumentFrame<3>, DocumentFrame<4>};
    std::vector<QPixmap> images;
    for (Painter painter : painters) images.push_back(Paint(32, painter));
    return images;
  }());
  return list;
}

QPixmap TImageList::Pixmap(int index) const {
  if (index < 0 || index >= Count()) return {};
  return images_[static_cast<size_t>(index)];
}

QIcon TImageList::Icon(int index) const { return QIcon(Pixmap(index)); }

}  // namespace stampwell
