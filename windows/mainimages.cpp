#include "mainimages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace MainImages {
namespace {

// Draws picture `index` into a square of `size` pixels; `hot` pictures are in full colour.
QPixmap Draw(int index, int size, bool hot) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 30.0, size / 30.0);  // every picture is drawn on a 30 x 30 grid
  const auto tint = [hot](QColor c) {
    return hot ? c : QColor::fromHsv(c.hue(), c.saturation() / 3, c.value());
  };
  const QPen outline(QColor(40, 40, 40), 1.5);

  switch (index) {
    case 0: {  // infantry: a soldier
      p.setPen(outline);
      p.setBrush(tint(QColor(230, 190, 140)));
      p.drawEllipse(QPointF(15, 6), 4, 4);
      p.setBrush(tint(QColor(90, 130, 60)));
      p.drawRoundedRect(QRectF(9, 11, 12, 11), 3, 3);
      p.drawRect(QRectF(10, 22, 4, 7));
      p.drawRect(QRectF(16, 22, 4, 7));
      p.setPen(QPen(tint(QColor(70, 70, 70)), 2));
      p.drawLine(QPointF(21, 13), QPointF(27, 8));
      break;
    }
    case 1: {  // run the game: a go sign
      p.setPen(outline);
      p.setBrush(tint(QColor(60, 170, 70)));
      p.drawEllipse(QRectF(2, 2, 26, 26));
      QPainterPath arrow;
      arrow.moveTo(12, 8);
      arrow.lineTo(22, 15);
      arrow.lineTo(12, 22);
      arrow.closeSubpath();
      p.setBrush(Qt::white);
      p.drawPath(arrow);
      break;
    }
    case 2: {  // apply changes: a disk with a tick
      p.setPen(outline);
      p.setBrush(tint(QColor(50, 90, 180)));
      p.drawRoundedRect(QRectF(3, 3, 24, 24), 2, 2);
      p.setBrush(QColor(235, 235, 235));
      p.drawRect(QRectF(8, 3, 14, 9));
      p.drawRect(QRectF(7, 17, 16, 10));
      p.setPen(QPen(tint(QColor(200, 40, 40)), 3));
      p.drawLine(QPointF(10, 22), QPointF(14, 25));
      p.drawLine(QPointF(14, 25), QPointF(21, 18));
      break;
    }
    case 3: {  // vehicles: a tank
      p.setPen(outline);
      p.setBrush(tint(QColor(80, 80, 70)));
      p.drawRoundedRect(QRectF(2, 19, 26, 8), 4, 4);
      p.setBrush(tint(QColor(190, 150, 60)));
      p.drawRect(QRectF(4, 13, 22, 7));
      p.drawEllipse(QRectF(9, 7, 11, 8));
      p.setPen(QPen(tint(QColor(60, 60, 60)), 2.5));
      p.drawLine(QPointF(19, 10), QPointF(29, 7));
      break;
    }
    case 4: {  // units table: a sheet of rows and columns
      p.setPen(outline);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3, 4, 24, 22));
      p.setBrush(tint(QColor(200, 160, 60)));
      p.drawRect(QRectF(3, 4, 24, 5));
      p.setPen(QPen(tint(QColor(90, 90, 90)), 1));
      for (double y : {14.5, 19.5}) p.drawLine(QPointF(3, y), QPointF(27, y));
      for (double x : {11.5, 19.5}) p.drawLine(QPointF(x, 9), QPointF(x, 26));
      break;
    }
    case 15:
    case 16:
    case 17: {  // window arrangements
      p.setPen(outline);
      const QColor frame = tint(QColor(60, 110, 200));
      const auto window = [&](QRectF r) {
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setBrush(frame);
        p.drawRect(QRectF(r.left(), r.top(), r.width(), 4));
      };
      if (index == 15) {
        window(QRectF(3, 3, 24, 11));
        window(QRectF(3, 16, 24, 11));
      } else if (index == 16) {
        window(QRectF(3, 3, 11, 24));
        window(QRectF(16, 3, 11, 24));
      } else {
        window(QRectF(2, 2, 17, 14));
        window(QRectF(7, 8, 17, 14));
        window(QRectF(12, 14, 16, 14));
      }
      break;
    }
    default:
      break;
  }
  return pixmap;
}

}  // namespace

QIcon Menu(int index) {
  return QIcon(Draw(index, 16, true));
}

QIcon Toolbar(int index) {
  QIcon icon;
  icon.addPixmap(Draw(index, 30, false), QIcon::Normal);
  icon.addPixmap(Draw(index, 30, true), QIcon::Active);
  return icon;
}

}  // namespace MainImages
