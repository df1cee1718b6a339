#include "menubarkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>

TMenuBarKeys::TMenuBarKeys(QWidget* window, QList<QToolButton*> buttons)
    : QObject(window), window_(window), buttons_(std::move(buttons)) {
  // Keys reach whatever has the focus in the frame or its child windows, or an open menu.
  qApp->installEventFilter(this);
  for (QToolButton* button : buttons_) {
    if (!button->menu()) continue;
    // Triggered after the item's command ran: unless the command moved the focus itself
    // (a new window), it goes back to where the user was working.
    connect(button->menu(), &QMenu::triggered, this, [this] {
      if (IndexOfButton(QApplication::focusWidget()) >= 0) Leave();
    });
  }
}

TMenuBarKeys::~TMenuBarKeys() {
  qApp->removeEventFilter(this);
}

bool TMenuBarKeys::OwnWindowActive() const {
  return QApplication::activeWindow() == window_ && !QApplication::activePopupWidget();
}

int TMenuBarKeys::IndexOfButton(const QObject* object) const {
  for (int i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i] == object) return i;
  }
  return -1;
}

int TMenuBarKeys::IndexOfMenu(const QWidget* menu) const {
  // A submenu is a child of the menu it drops out of.
  for (const QWidget* w = menu; qobject_cast<const QMenu*>(w); w = w->parentWidget()) {
    for (int i = 0; i < buttons_.size(); ++i) {
      if (buttons_[i]->menu() == w) return i;
    }
  }
  return -1;
}

int TMenuBarKeys::IndexOfLetter(const QString& text) const {
  if (text.size() != 1 || !text[0].isLetterOrNumber()) return -1;
  for (int i = 0; i < buttons_.size(); ++i) {
    const QString caption = buttons_[i]->text();
    const qsizetype amp = caption.indexOf(QChar(u'&'));
    if (amp >= 0 && amp + 1 < caption.size() && caption[amp + 1].toUpper() == text[0].toUpper()) {
      return i;
    }
  }
  return -1;
}

int TMenuBarKeys::Neighbour(int i, int step) const {
  const int n = int(buttons_.size());
  return ((i + step) % n + n) % n;
}

void TMenuBarKeys::Enter() {
  if (!OwnWindowActive() || buttons_.isEmpty()) return;
  QWidget* focus = QApplication::focusWidget();
  if (IndexOfButton(focus) < 0) returnFocus_ = focus;
  // The user works with the keys now: the focus shows on the button.
  window_->setAttribute(Qt::WA_KeyboardFocusChange);
  buttons_.first()->setFocus(Qt::ShortcutFocusReason);
}

void TMenuBarKeys::Leave() {
  QWidget* back = returnFocus_;
  returnFocus_ = nullptr;
  if (back && back->isVisible() && back->window() == window_) {
    back->setFocus(Qt::ShortcutFocusReason);
  } else if (QWidget* focus = QApplication::focusWidget(); IndexOfButton(focus) >= 0) {
    focus->clearFocus();
  }
}

void TMenuBarKeys::Open(int i) {
  QToolButton* button = buttons_[i];
  QMenu* menu = button->menu();
  if (!menu) return;
  // Whatever menu is open goes first, a neighbour's or one opened by the mouse.
  for (int guard = 0; guard < 16 && QApplication::activePopupWidget(); ++guard) {
    QApplication::activePopupWidget()->close();
  }
  // While a menu is open it has the focus; where the user worked is known since then.
  if (QWidget* focus = QApplication::focusWidget();
      IndexOfButton(focus) < 0 && !(focus && focus->window()->windowType() == Qt::Popup)) {
    returnFocus_ = focus;
  }
  window_->setAttribute(Qt::WA_KeyboardFocusChange);
  button->setFocus(Qt::ShortcutFocusReason);
  button->setDown(true);
  connect(
      menu, &QMenu::aboutToHide, button, [button] { button->setDown(false); },
      Qt::SingleShotConnection);
  menu->popup(button->mapToGlobal(QPoint(0, button->height())));
  // Opened from the keys, a menu starts on its first item that can be chosen, as Down would
  // choose it (which, unlike making it active, leaves a submenu closed).
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(menu, &down);
}

bool TMenuBarKeys::ButtonKey(int i, int key, const QString& text) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      buttons_[Neighbour(i, key == Qt::Key_Left ? -1 : 1)]->setFocus(Qt::ShortcutFocusReason);
      return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      Open(i);
      return true;
    case Qt::Key_Escape:
      Leave();
      return true;
    default:
      if (const int j = IndexOfLetter(text); j >= 0) {
        Open(j);
        return true;
      }
      return false;
  }
}

bool TMenuBarKeys::MenuKey(QMenu* menu, int i, int key) {
  const bool topLevel = menu == buttons_[i]->menu();
  if (key == Qt::Key_Left && topLevel) {
    Open(Neighbour(i, -1));
    return true;
  }
  if (key == Qt::Key_Right) {
    // An item with a submenu opens it, as in any menu.
    if (const QAction* item = menu->activeAction(); item && item->menu() && item->isEnabled()) {
      return false;
    }
    Open(Neighbour(i, 1));
    return true;
  }
  return false;  // a submenu closes on Left by itself
}

bool TMenuBarKeys::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Alt) {
        altAlone_ = key->modifiers() == Qt::AltModifier || key->modifiers() == Qt::NoModifier;
        return false;
      }
      altAlone_ = false;
      if (auto* menu = qobject_cast<QMenu*>(watched)) {
        const int i = IndexOfMenu(menu);
        return i >= 0 && key->modifiers() == Qt::NoModifier && MenuKey(menu, i, key->key());
      }
      if (!OwnWindowActive()) return false;
      const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
      if (key->key() == Qt::Key_F10 && modifiers == Qt::NoModifier) {
        Enter();
        return true;
      }
      const int i = IndexOfButton(watched);
      return i >= 0 && modifiers == Qt::NoModifier && ButtonKey(i, key->key(), key->text());
    }
    case QEvent::KeyRelease: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Alt && altAlone_ && OwnWindowActive()) {
        altAlone_ = false;
        if (IndexOfButton(QApplication::focusWidget()) >= 0) {
          Leave();
        } else {
          Enter();
        }
      }
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
      altAlone_ = false;
      return false;
    default:
      return false;
  }
}
