#pragma once

#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The few pieces the program's forms are built from. Every control carries the name the
// program knows it by, which is also how tests and the snapshots find it.

// Gives a widget just made its name and hands it on.
template <typename W>
W* Named(W* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}
template <typename W>
W* Named(W* widget, const char* name) {
  return Named(widget, QString::fromLatin1(name));
}

// A label showing `text` from `at`, as large as its text.
QLabel* PlacedLabel(QWidget* parent, const QString& name, const QString& text, QPoint at);
// A sunken frame over `bounds`: a panel, or a dividing line with QFrame::HLine.
QFrame* Bevel(QWidget* parent, const QString& name, const QRect& bounds,
              QFrame::Shape shape = QFrame::Panel);
// A push button with `caption` over `bounds`.
QPushButton* PlacedButton(QWidget* parent, const QString& name, const QString& caption,
                          const QRect& bounds);
