#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace dm::ui {

namespace {

QPixmap blank(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  return pm;
}

// A sheet of paper with a folded corner, the base of the kind pictures.
void drawSheet(QPainter& p, int s) {
  const qreal m = s * 0.15, fold = s * 0.25;
  QPainterPath sheet;
  sheet.moveTo(m, m * 0.5);
  sheet.lineTo(s - m - fold, m * 0.5);
  sheet.lineTo(s - m, m * 0.5 + fold);
  sheet.lineTo(s - m, s - m * 0.5);
  sheet.lineTo(m, s - m * 0.5);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(90, 90, 90), s / 24.0));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
}

}  // namespace

QPixmap kindPicture(FileKind kind, int s) {
  QPixmap pm = blank(s);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  drawSheet(p, s);
  switch (kind) {
    case FileKind::Text:
      p.setPen(QPen(QColor(60, 60, 140), s / 20.0));
      for (int i = 0; i < 4; ++i) {
        const qreal y = s * (0.4 + 0.13 * i);
        p.drawLine(QPointF(s * 0.27, y), QPointF(s * (i == 3 ? 0.55 : 0.73), y));
      }
      break;
    case FileKind::Picture: {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(250, 190, 40));
      p.drawEllipse(QPointF(s * 0.38, s * 0.42), s * 0.08, s * 0.08);
      p.setBrush(QColor(60, 150, 70));
      QPolygonF hill;
      hill << QPointF(s * 0.2, s * 0.85) << QPointF(s * 0.48, s * 0.5) << QPointF(s * 0.62, s * 0.68)
           << QPointF(s * 0.7, s * 0.58) << QPointF(s * 0.82, s * 0.85);
      p.drawPolygon(hill);
      break;
    }
    case FileKind::Sound:
      p.setPen(QPen(QColor(150, 40, 110), s / 16.0));
      p.drawLine(QPointF(s * 0.58, s * 0.35), QPointF(s * 0.58, s * 0.72));
      p.drawLine(QPointF(s * 0.58, s * 0.35), QPointF(s * 0.72, s * 0.42));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(150, 40, 110));
      p.drawEllipse(QPointF(s * 0.5, s * 0.74), s * 0.1, s * 0.075);
      break;
  }
  return pm;
}

QPixmap warningSign(int s) {
  QPixmap pm = blank(s);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPolygonF triangle;
  triangle << QPointF(s * 0.5, s * 0.06) << QPointF(s * 0.96, s * 0.9) << QPointF(s * 0.04, s * 0.9);
  p.setPen(QPen(QColor(120, 80, 0), s / 24.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(255, 200, 0));
  p.drawPolygon(triangle);
  p.setPen(QPen(Qt::black, s / 9.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(s * 0.5, s * 0.34), QPointF(s * 0.5, s * 0.6));
  p.drawPoint(QPointF(s * 0.5, s * 0.76));
  return pm;
}

QPixmap programIcon(int s) {
  QPixmap pm = blank(s);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // A card with a question mark and a tick: a quiz ready to go.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(36, 99, 170));
  p.drawRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.16, s * 0.16);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(s * 0.18, s * 0.16, s * 0.64, s * 0.68), s * 0.06, s * 0.06);
  QFont f;
  f.setPixelSize(int(s * 0.5));
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(36, 99, 170));
  p.drawText(QRectF(s * 0.18, s * 0.12, s * 0.64, s * 0.62), Qt::AlignCenter, "?");
  p.setPen(QPen(QColor(40, 170, 80), s / 12.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPolygonF tick;
  tick << QPointF(s * 0.52, s * 0.74) << QPointF(s * 0.62, s * 0.82) << QPointF(s * 0.8, s * 0.6);
  p.drawPolyline(tick);
  return pm;
}

}  // namespace dm::ui
