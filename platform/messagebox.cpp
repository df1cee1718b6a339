#include "messagebox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

QMessageBox::Icon IconOf(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning:
      return QMessageBox::Warning;
    case MsgKind::Error:
      return QMessageBox::Critical;
    case MsgKind::Information:
      return QMessageBox::Information;
    case MsgKind::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageBox::MessageBox(MsgKind kind, const QString& text, MsgButtons buttons, QWidget* parent)
    : QMessageBox(IconOf(kind), MsgKindTitle(kind), text, QMessageBox::NoButton, parent),
      shown_(buttons) {
  setObjectName(QStringLiteral("MessageDlg"));
  for (MsgButton b : ButtonOrder()) {
    if (!(buttons & b)) continue;
    // ActionRole keeps the buttons in the order they are added on every platform style.
    QPushButton* button = addButton(ButtonCaption(b), QMessageBox::ActionRole);
    button->setObjectName(ButtonCaption(b).remove(QChar(u'&')));
    button->setAutoDefault(false);
    const MsgResult answer = ResultOf(b);
    connect(button, &QPushButton::clicked, this, [this, answer] { Press(answer); });
    buttons_[b] = button;
  }
  // The close box must stay usable whatever the buttons are (it answers Cancel, see closeEvent);
  // the window system offers it only to a box that has an escape button, so it gets a hidden one.
  QPushButton* closer = addButton(QStringLiteral("Close"), QMessageBox::RejectRole);
  closer->setObjectName(QStringLiteral("CloseBox"));
  closer->hide();
  setEscapeButton(closer);
  const MsgResult enter = EnterAnswer(buttons);
  for (const auto& [b, widget] : buttons_) {
    if (ResultOf(b) == enter) setDefaultButton(static_cast<QPushButton*>(widget));
  }
}

MsgResult MessageBox::Run() {
  answer_ = MsgResult::Cancel;
  exec();
  return answer_;
}

QAbstractButton* MessageBox::ButtonFor(MsgButton button) const {
  const auto it = buttons_.find(button);
  return it == buttons_.end() ? nullptr : it->second;
}

void MessageBox::Press(MsgResult answer) {
  answer_ = answer;
  done(0);
}

void MessageBox::closeEvent(QCloseEvent* event) {
  // The close box always answers Cancel, also in dialogs without a Cancel button.
  answer_ = MsgResult::Cancel;
  event->accept();
  done(0);
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    const MsgResult answer = EnterAnswer(shown_);
    if (answer != MsgResult::None) Press(answer);
    return;
  }
  if (plain && event->key() == Qt::Key_Escape) {
    const MsgResult answer = EscapeAnswer(shown_);
    if (answer != MsgResult::None) Press(answer);
    return;
  }
  QMessageBox::keyPressEvent(event);
}
