#include "formparts.h"

#include <QLabel>
#include <QPushButton>

QLabel* PlacedLabel(QWidget* parent, const QString& name, const QString& text, QPoint at) {
  auto* label = Named(new QLabel(text, parent), name);
  label->move(at);
  label->adjustSize();
  return label;
}

QFrame* Bevel(QWidget* parent, const QString& name, const QRect& bounds, QFrame::Shape shape) {
  auto* bevel = Named(new QFrame(parent), name);
  bevel->setFrameStyle(shape | QFrame::Sunken);
  bevel->setGeometry(bounds);
  return bevel;
}

QPushButton* PlacedButton(QWidget* parent, const QString& name, const QString& caption,
                          const QRect& bounds) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setGeometry(bounds);
  return button;
}
