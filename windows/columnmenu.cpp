#include "columnmenu.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kFrame = 3;
constexpr int kIconSize = 16;
constexpr int kGap = 6;      // between picture and caption, and at the item's ends
constexpr int kDivider = 6;  // room for the bar between columns
constexpr int kMinItemWidth = 80;

}  // namespace

TColumnMenu::TColumnMenu(QWidget* owner) : QWidget(owner, Qt::Popup) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_DeleteOnClose, false);
}

TColumnMenu::Layout TColumnMenu::Compute() const {
  Layout layout;
  const QFontMetrics metrics(font());
  const int rowHeight = std::max(metrics.height() + 6, kIconSize + 4);
  // Split into columns at the breaks, then size each column to its widest caption.
  QList<QList<int>> columns;
  for (int i = 0; i < Items.size(); ++i) {
    if (columns.isEmpty() || (Items[i]->Break && !columns.last().isEmpty()))
      columns.append(QList<int>());
    columns.last().append(i);
  }
  layout.rects.resize(Items.size());
  layout.columns.resize(Items.size());
  int x = kFrame, tallest = 0;
  for (int c = 0; c < columns.size(); ++c) {
    if (c > 0) {
      layout.dividers.append(x + kDivider / 2);
      x += kDivider;
    }
    int width = kMinItemWidth;
    for (int i : columns[c]) {
      width = std::max(
          width, kGap + kIconSize + kGap + metrics.horizontalAdvance(Items[i]->Caption) + 2 * kGap);
    }
    int y = kFrame;
    for (int i : columns[c]) {
      layout.rects[i] = QRect(x, y, width, rowHeight);
      layout.columns[i] = c;
      y += rowHeight;
    }
    tallest = std::max(tallest, y);
    x += width;
  }
  layout.size = QSize(x + kFrame, tallest + kFrame);
  return layout;
}

QSize TColumnMenu::sizeHint() const {
  return Compute().size;
}

QRect TColumnMenu::ItemRect(int i) const {
  return Compute().rects.value(i);
}

int TColumnMenu::ColumnOf(int i) const {
  return Compute().columns.value(i, -1);
}

int TColumnMenu::ColumnCount() const {
  const Layout layout = Compute();
  return layout.columns.isEmpty() ? 0 : layout.columns.last() + 1;
}

void TColumnMenu::Popup(const QPoint& screenPos) {
  highlighted_ = -1;
  resize(sizeHint());
  move(screenPos);
  show();
  setFocus(Qt::PopupFocusReason);
}

int TColumnMenu::ItemAt(const QPoint& pos) const {
  const Layout layout = Compute();
  for (int i = 0; i < layout.rects.size(); ++i) {
    if (layout.rects[i].contains(pos)) return i;
  }
  return -1;
}

void TColumnMenu::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Layout layout = Compute();
  p.fillRect(rect(), palette().color(QPalette::Window));
  qDrawShadePanel(&p, rect(), palette(), false, 1);
  for (int x : layout.dividers) {
    // The dividing bar of a column break: an etched vertical line.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(x - 1, kFrame, x - 1, height() - kFrame);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(x, kFrame, x, height() - kFrame);
  }
  for (int i = 0; i < Items.size(); ++i) {
    const QRect r = layout.rects[i];
    const bool lit = i == highlighted_;
    if (lit) p.fillRect(r, palette().color(QPalette::Highlight));
    const TMenuItem* item = Items[i];
    if (item->ImageIndex >= 0 && item->ImageIndex < Images.size()) {
      Images[item->ImageIndex].paint(
          &p, QRect(r.left() + kGap, r.top() + (r.height() - kIconSize) / 2, kIconSize, kIconSize));
    }
    p.setPen(palette().color(lit ? QPalette::HighlightedText : QPalette::WindowText));
    p.drawText(r.adjusted(kGap + kIconSize + kGap, 0, -kGap, 0), Qt::AlignVCenter | Qt::AlignLeft,
               item->Caption);
  }
}

void TColumnMenu::mouseMoveEvent(QMouseEvent* event) {
  const int i = ItemAt(event->position().toPoint());
  if (i != highlighted_) {
    highlighted_ = i;
    update();
  }
}

void TColumnMenu::leaveEvent(QEvent*) {
  highlighted_ = -1;
  update();
}

void TColumnMenu::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    hide();  // a click outside the menu closes it
    return;
  }
  const int i = ItemAt(pos);
  if (i >= 0) Choose(i);
}

void TColumnMenu::Choose(int i) {
  hide();
  emit Items[i]->Click();
}

void TColumnMenu::Move(int dx, int dy) {
  if (Items.isEmpty()) return;
  if (highlighted_ < 0) {
    highlighted_ = 0;
  } else if (dy != 0) {
    highlighted_ = (highlighted_ + dy + Items.size()) % Items.size();
  } else {
    // Left and right go to the same row of the neighbouring column.
    const Layout layout = Compute();
    const int target = layout.columns[highlighted_] + dx;
    const int row = layout.rects[highlighted_].top();
    int best = -1;
    for (int i = 0; i < Items.size(); ++i) {
      if (layout.columns[i] != target) continue;
      if (best < 0 ||
          std::abs(layout.rects[i].top() - row) < std::abs(layout.rects[best].top() - row))
        best = i;
    }
    if (best >= 0) highlighted_ = best;
  }
  update();
}

void TColumnMenu::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      hide();
      return;
    case Qt::Key_Up:
      Move(0, -1);
      return;
    case Qt::Key_Down:
      Move(0, +1);
      return;
    case Qt::Key_Left:
      Move(-1, 0);
      return;
    case Qt::Key_Right:
      Move(+1, 0);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (highlighted_ >= 0) Choose(highlighted_);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}
