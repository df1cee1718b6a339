#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QMenu;
class QToolButton;
class QWidget;

// Gives a toolbar of menu buttons the keys of a platform menu bar, so that every menu can be
// reached while a child window keeps the Alt+letter keys for itself: F10, or Alt pressed and
// released alone, puts the focus on the first button; Left and Right move between the buttons;
// Down, Up, Enter, Space or a button's access letter open its menu; Left and Right inside an
// open menu open the neighbouring one instead (Right opens a submenu where the item has one,
// Left closes a submenu); Escape closes the menu, and Escape again gives the focus back. Choosing
// an item gives the focus back as well.
class TMenuBarKeys : public QObject {
  Q_OBJECT
 public:
  // `window` is the one whose keys are watched; each button drops down its own menu.
  TMenuBarKeys(QWidget* window, QList<QToolButton*> buttons);
  ~TMenuBarKeys() override;

  // Puts the focus on the first button (F10).
  void Enter();
  // Opens the menu of button i below it, without waiting for it to close.
  void Open(int i);
  // The button whose menu, or one of its submenus, `menu` is; -1 for any other.
  int IndexOfMenu(const QWidget* menu) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool ButtonKey(int i, int key, const QString& text);
  bool MenuKey(QMenu* menu, int i, int key);
  // Gives the focus back to where it was before the bar took it.
  void Leave();
  int IndexOfButton(const QObject* object) const;
  int IndexOfLetter(const QString& text) const;
  int Neighbour(int i, int step) const;
  bool OwnWindowActive() const;

  QWidget* window_;
  QList<QToolButton*> buttons_;
  QPointer<QWidget> returnFocus_;
  // Alt went down and nothing else happened since: its release enters the bar.
  bool altAlone_ = false;
};
