#include "focuscues.h"

#include <QEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>

namespace {

class FocusCueOnShow : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Showing forgets the cue before the window hears that it is shown.
    if (event->type() == QEvent::Show && watched == parent()) {
      static_cast<QWidget*>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
    }
    return false;
  }
};

class FocusFrameStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_PushButton || !(option->state & State_HasFocus)) return;
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(*option);
    focus.rect = subElementRect(SE_PushButtonFocusRect, option, widget);
    focus.backgroundColor = option->palette.button().color();
    drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
  }
};

}  // namespace

void ShowFocusFromTheStart(QWidget* window) {
  window->installEventFilter(new FocusCueOnShow(window));
}

void FrameFocusedButton(QPushButton* button) {
  auto* style = new FocusFrameStyle(QStyleFactory::create(button->style()->name()));
  style->setParent(button);
  button->setStyle(style);
}
