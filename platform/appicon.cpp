#include "appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);  // drawn on a 64 x 64 grid
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(22, 38, 82));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
  p.setBrush(QColor(255, 196, 64));
  p.drawEllipse(QPointF(44, 20), 9, 9);
  QPainterPath dune;
  dune.moveTo(2, 50);
  dune.cubicTo(18, 30, 30, 30, 62, 44);
  dune.lineTo(62, 52);
  dune.arcTo(QRectF(42, 42, 20, 20), 0, -90);
  dune.lineTo(12, 62);
  dune.arcTo(QRectF(2, 42, 20, 20), -90, -90);
  dune.closeSubpath();
  p.setBrush(QColor(214, 150, 70));
  p.drawPath(dune);
  p.setBrush(QColor(170, 104, 44));
  p.drawEllipse(QPointF(22, 56), 14, 3);
  return image;
}

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64})
    icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
  return icon;
}
