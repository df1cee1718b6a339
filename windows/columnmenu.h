#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

// One entry of a unit menu. Its tag is the unit it selects; an item with `Break` set starts a
// new column with a dividing bar before it.
class TMenuItem : public QObject {
  Q_OBJECT
 public:
  explicit TMenuItem(QObject* owner) : QObject(owner) {}
  QString Caption;
  int ImageIndex = -1;
  int Tag = 0;
  bool Break = false;

 signals:
  void Click();
};

// A popup menu that can break into columns, which QMenu can't: it looks and behaves like a
// menu (hover highlight, arrow keys, Enter, Escape, a click outside closes it).
class TColumnMenu : public QWidget {
  Q_OBJECT
 public:
  explicit TColumnMenu(QWidget* owner);

  QList<TMenuItem*> Items;
  // The pictures that items name by ImageIndex.
  QList<QIcon> Images;

  void Add(TMenuItem* item) { Items.append(item); }
  // Shows the menu with its top-left corner at `screenPos`.
  void Popup(const QPoint& screenPos);

  // Layout, for drawing, hit-testing and tests: the rectangle and column of item i.
  QRect ItemRect(int i) const;
  int ColumnOf(int i) const;
  int ColumnCount() const;
  int Highlighted() const { return highlighted_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Layout {
    QList<QRect> rects;
    QList<int> columns;
    QList<int> dividers;  // x of the bar before each column but the first
    QSize size;
  };
  Layout Compute() const;
  int ItemAt(const QPoint& pos) const;
  void Choose(int i);
  void Move(int dx, int dy);

  int highlighted_ = -1;
};
