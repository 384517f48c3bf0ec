#include "gui/image_list.h"

#include <QApplication>
#include <QPainter>
#include <QPolygonF>
#include <QStyle>

#include "gui/glyph_icon.h"

namespace tarvello {
namespace {

// Each glyph is drawn at the size it is shown, so it stays sharp at any scale factor.
QIcon Draw(void (*paint)(QPainter&)) {
  return GlyphIcon(paint);
}

// A memory card with its cut corner, the motif of the output glyphs.
void PaintCard(QPainter& p, const QRectF& r, const QColor& fill) {
  QPolygonF card;
  card << QPointF(r.left() + r.width() * 0.35, r.top()) << r.topRight() << r.bottomRight()
       << r.bottomLeft() << QPointF(r.left(), r.top() + r.height() * 0.3);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.setBrush(fill);
  p.drawPolygon(card);
}

void PaintArrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
  p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  const QLineF line(to, from);
  QLineF wing = line;
  wing.setLength(4);
  wing.setAngle(line.angle() + 40);
  p.drawLine(wing);
  wing.setAngle(line.angle() - 40);
  p.drawLine(wing);
}

void PaintAdd(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 140, 40));
  p.drawRect(QRectF(6.5, 2, 3, 12));
  p.drawRect(QRectF(2, 6.5, 12, 3));
}

void PaintPlaylist(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 1.5, 12, 13));
  p.setPen(QPen(QColor(40, 90, 190), 1.5));
  for (double y : {5.0, 8.0, 11.0}) p.drawLine(QPointF(4, y), QPointF(11, y));
}

void PaintImportOutput(QPainter& p) {
  PaintCard(p, QRectF(1.5, 1.5, 8, 11), QColor(90, 140, 220));
  PaintArrow(p, QPointF(8, 8), QPointF(14.5, 14), QColor(30, 140, 40));
}

void PaintExecute(QPainter& p) {
  PaintCard(p, QRectF(7.5, 3.5, 7, 10), QColor(90, 140, 220));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 140, 40));
  QPolygonF play;
  play << QPointF(1, 3) << QPointF(8, 8) << QPointF(1, 13);
  p.drawPolygon(play);
}

void PaintRefresh(QPainter& p) {
  const QColor color(30, 120, 60);
  p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  QPolygonF head;
  head << QPointF(9, 0.5) << QPointF(14, 3) << QPointF(9, 6.5);
  p.drawPolygon(head);
}

void PaintTriangle(QPainter& p, bool up) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 90, 90));
  QPolygonF triangle;
  if (up) {
    triangle << QPointF(8, 4) << QPointF(13, 11) << QPointF(3, 11);
  } else {
    triangle << QPointF(3, 5) << QPointF(13, 5) << QPointF(8, 12);
  }
  p.drawPolygon(triangle);
}

void PaintMissing(QPainter& p) {
  p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void PaintBox(QPainter& p) {
  p.setPen(QPen(QColor(70, 70, 70), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2.5, 2.5, 11, 11));
}

// A tick through three points, drawn with `pen`'s colour and width and round ends.
void PaintTick(QPainter& p, QPen pen, const std::array<QPointF, 3>& points) {
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void PaintMarked(QPainter& p) {
  PaintBox(p);
  PaintTick(p, QPen(QColor(20, 150, 40), 2.2), {QPointF(4.5, 8), QPointF(7, 11), QPointF(12, 4.5)});
}

void PaintRemovable(QPainter& p) {
  p.setPen(QPen(QColor(50, 50, 50), 1));
  p.setBrush(QColor(200, 200, 200));
  p.drawRoundedRect(QRectF(1.5, 5.5, 13, 7), 1.5, 1.5);
  p.setBrush(QColor(40, 40, 40));
  p.drawRect(QRectF(4.5, 8, 7, 2));
}

void PaintRamDisk(QPainter& p) {
  p.setPen(QPen(QColor(20, 80, 20), 1));
  p.setBrush(QColor(40, 150, 60));
  p.drawRect(QRectF(1.5, 4.5, 13, 6));
  p.setPen(QPen(QColor(220, 180, 40), 1));
  for (double x = 3; x < 14; x += 2) p.drawLine(QPointF(x, 11), QPointF(x, 13.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 30));
  p.drawRect(QRectF(4, 6, 3, 3));
  p.drawRect(QRectF(9, 6, 3, 3));
}

// The conversion glyphs share a round badge, each state its own colour and mark, so they
// differ in shape as well as colour.
void PaintBadge(QPainter& p, const QColor& fill) {
  p.setPen(QPen(fill.darker(140), 1));
  p.setBrush(fill);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

// An hourglass on grey: the song waits for a worker.
void PaintConversionWaiting(QPainter& p) {
  PaintBadge(p, QColor(150, 150, 160));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  QPolygonF glass;
  glass << QPointF(5, 4) << QPointF(11, 4) << QPointF(8, 8) << QPointF(11, 12) << QPointF(5, 12)
        << QPointF(8, 8);
  p.drawPolygon(glass);
}

// Two chasing arrows on blue: the song is being made.
void PaintConverting(QPainter& p) {
  PaintBadge(p, QColor(40, 110, 210));
  p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  const QRectF ring(4.5, 4.5, 7, 7);
  p.drawArc(ring, 20 * 16, 140 * 16);
  p.drawArc(ring, 200 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  QPolygonF head;
  head << QPointF(10.2, 3.2) << QPointF(12.8, 6.8) << QPointF(8.8, 6.6);
  p.drawPolygon(head);
  QPolygonF tail;
  tail << QPointF(5.8, 12.8) << QPointF(3.2, 9.2) << QPointF(7.2, 9.4);
  p.drawPolygon(tail);
}

// A white tick on green: the song is made and goes to the card.
void PaintConverted(QPainter& p) {
  PaintBadge(p, QColor(30, 150, 60));
  PaintTick(p, QPen(Qt::white, 2), {QPointF(4.8, 8.2), QPointF(7.2, 10.6), QPointF(11.4, 5.4)});
}

// A white exclamation mark on red: the song could not be made.
void PaintConversionFailed(QPainter& p) {
  PaintBadge(p, QColor(200, 40, 40));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(7, 3.8, 2, 5.6), 0.8, 0.8);
  p.drawEllipse(QRectF(7, 10.4, 2, 2));
}

// Two pause bars on grey: the making was stopped and resumes with the next output.
void PaintConversionCancelled(QPainter& p) {
  PaintBadge(p, QColor(150, 150, 160));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5, 4.5, 2.2, 7));
  p.drawRect(QRectF(8.8, 4.5, 2.2, 7));
}

QIcon StandardOr(QStyle::StandardPixmap pixmap, void (*fallback)(QPainter&)) {
  QIcon icon = QApplication::style()->standardIcon(pixmap);
  return icon.isNull() ? Draw(fallback) : icon;
}

void PaintFloppy(QPainter& p) {
  p.setPen(QPen(QColor(30, 30, 60), 1));
  p.setBrush(QColor(60, 80, 160));
  p.drawRect(QRectF(2.5, 2.5, 11, 11));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 2.5, 7, 4));
}

void PaintFixed(QPainter& p) {
  p.setPen(QPen(QColor(50, 50, 50), 1));
  p.setBrush(QColor(160, 160, 170));
  p.drawRect(QRectF(1.5, 5.5, 13, 6));
  p.setBrush(QColor(40, 200, 40));
  p.drawRect(QRectF(11, 8, 2, 1.5));
}

void PaintNetwork(QPainter& p) {
  PaintFixed(p);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.drawLine(QPointF(8, 11.5), QPointF(8, 14.5));
  p.drawLine(QPointF(3, 14.5), QPointF(13, 14.5));
}

void PaintCd(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(QColor(210, 210, 230));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(6, 6, 4, 4));
}

}  // namespace

ImageList::ImageList()
    : icons_{Draw(PaintAdd),
             Draw(PaintPlaylist),
             Draw(PaintImportOutput),
             Draw(PaintExecute),
             Draw(PaintRefresh),
             GlyphIcon([](QPainter& p) { PaintTriangle(p, true); }),
             GlyphIcon([](QPainter& p) { PaintTriangle(p, false); }),
             Draw(PaintMissing),
             Draw(PaintMarked),
             Draw(PaintBox),
             Draw(PaintConversionWaiting),
             Draw(PaintConverting),
             Draw(PaintConverted),
             Draw(PaintConversionFailed),
             Draw(PaintConversionCancelled)} {}

QIcon ImageList::Icon(int index) const {
  if (index < 0 || index >= kImageCount) return QIcon();
  return icons_[index];
}

QIcon DriveIconFor(DriveIcon icon) {
  switch (icon) {
    case DriveIcon::kFloppy:
      return StandardOr(QStyle::SP_DriveFDIcon, PaintFloppy);
    case DriveIcon::kRemovable:
      return Draw(PaintRemovable);
    case DriveIcon::kFixed:
      return StandardOr(QStyle::SP_DriveHDIcon, PaintFixed);
    case DriveIcon::kNetwork:
      return StandardOr(QStyle::SP_DriveNetIcon, PaintNetwork);
    case DriveIcon::kCdRom:
      return StandardOr(QStyle::SP_DriveCDIcon, PaintCd);
    case DriveIcon::kRamDisk:
      return Draw(PaintRamDisk);
  }
  return QIcon();
}

}  // namespace tarvello
