#include "setupbox.h"

#include "installerui.h"
#include "messagebox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

MsgButtons ButtonsOf(unsigned style) {
  switch (style & kBoxButtonsMask) {
    case kBoxOkCancel:
      return mbOK | mbCancel;
    case kBoxAbortRetryIgnore:
      return mbAbort | mbRetry;  // and Ignore, which the editor's boxes never ask
    case kBoxYesNo:
      return mbYes | mbNo;
    default:
      return mbOK;
  }
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & kIconMask) {
    case kIconHand:
      return QMessageBox::Critical;
    case kIconQuestion:
      return QMessageBox::Question;
    case kIconExclamation:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int AnswerOf(MsgResult result) {
  switch (result) {
    case MsgResult::Yes:
      return idYes;
    case MsgResult::No:
      return idNo;
    case MsgResult::OK:
      return idOk;
    case MsgResult::Abort:
      return idAbort;
    case MsgResult::Retry:
      return idRetry;
    default:
      return idCancel;
  }
}

// The editor's message box, which keeps its buttons in their fixed order, with the installer's
// caption, icon and keys: Enter presses the first button, and Escape and the close box answer
// only where the buttons offer a way out (Cancel, or a lone OK); a box asking Yes/No or
// Abort/Retry/Ignore waits for a button.
class Box final : public MessageBox {
 public:
  Box(unsigned style, const QString& caption, const QString& text, QWidget* owner)
      : MessageBox(MsgKind::Warning, text, ButtonsOf(style == 0 ? kBoxOk : style), owner) {
    if (style == 0) style = kBoxOk | kIconExclamation;
    setWindowTitle(caption);
    setTextFormat(Qt::PlainText);
    setIcon(IconOf(style));
    const MsgButtons buttons = ButtonsOf(style);
    QAbstractButton* first = nullptr;
    for (MsgButton b : ButtonOrder()) {
      if (!first && (buttons & b)) first = ButtonFor(b);
    }
    if ((style & kBoxButtonsMask) == kBoxAbortRetryIgnore) {
      QPushButton* ignore = addButton(u"&Ignore"_s, QMessageBox::ActionRole);
      ignore->setObjectName(u"Ignore"_s);
      ignore->setAutoDefault(false);
      connect(ignore, &QPushButton::clicked, this, [this] {
        ignored_ = true;
        done(0);
      });
      // Adding a button lays the row out anew, which shows the editor's hidden close button.
      if (auto* closer = findChild<QPushButton*>(u"CloseBox"_s)) closer->hide();
    }
    setDefaultButton(static_cast<QPushButton*>(first));
    if (buttons & mbCancel)
      wayOut_ = MsgResult::Cancel;
    else if (buttons == mbOK)
      wayOut_ = MsgResult::OK;
  }

  int Ask() {
    const MsgResult result = Run();
    if (ignored_) return idIgnore;
    if (closedBy_ != MsgResult::None) return AnswerOf(closedBy_);
    return AnswerOf(result);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      if (defaultButton()) defaultButton()->click();
      return;
    }
    if (event->key() == Qt::Key_Escape) {
      LeaveBy(nullptr);
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { LeaveBy(event); }

 private:
  void LeaveBy(QCloseEvent* event) {
    if (wayOut_ == MsgResult::None) {
      if (event) event->ignore();
      return;
    }
    closedBy_ = wayOut_;
    if (event) event->accept();
    done(0);
  }

  MsgResult wayOut_ = MsgResult::None;
  MsgResult closedBy_ = MsgResult::None;
  bool ignored_ = false;
};

class QtBoxes final : public SetupMessageBox {
 public:
  int Show(QWidget* owner, unsigned style, const QString& caption, const QString& text) override {
    Box box(style, caption, text, owner);
    return box.Ask();
  }
};

}  // namespace

SetupMessageBox& QtSetupMessageBox() {
  static QtBoxes boxes;
  return boxes;
}
