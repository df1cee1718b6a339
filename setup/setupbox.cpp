#include "setupbox.h"

#include "installerui.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {

class Box final : public QMessageBox {
 public:
  Box(unsigned style, const QString& caption, const QString& text, QWidget* owner)
      : QMessageBox(owner) {
    if (style == 0) style = kBoxOk | kIconExclamation;
    setWindowTitle(caption);
    setTextFormat(Qt::PlainText);
    setText(text);
    switch (style & kIconMask) {
      case kIconHand:
        setIcon(QMessageBox::Critical);
        break;
      case kIconQuestion:
        setIcon(QMessageBox::Question);
        break;
      case kIconExclamation:
        setIcon(QMessageBox::Warning);
        break;
      case 0x40:
        setIcon(QMessageBox::Information);
        break;
      default:
        setIcon(QMessageBox::NoIcon);
    }
    switch (style & kBoxButtonsMask) {
      case kBoxOkCancel:
        Add(QMessageBox::Ok, idOk, true);
        escape_ = Add(QMessageBox::Cancel, idCancel);
        break;
      case kBoxAbortRetryIgnore:
        Add(QMessageBox::Abort, idAbort, true);
        Add(QMessageBox::Retry, idRetry);
        Add(QMessageBox::Ignore, idIgnore);
        break;
      case kBoxYesNo:
        Add(QMessageBox::Yes, idYes, true);
        Add(QMessageBox::No, idNo);
        break;
      default:
        escape_ = Add(QMessageBox::Ok, idOk, true);
    }
    if (escape_) setEscapeButton(escape_);
  }

  int Run() {
    exec();
    QAbstractButton* pressed = clickedButton();
    if (!pressed) pressed = escape_;
    return pressed ? pressed->property("answer").toInt() : idCancel;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && !escape_) return;
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (!escape_) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }

 private:
  QAbstractButton* Add(QMessageBox::StandardButton which, int answer, bool isDefault = false) {
    QPushButton* button = addButton(which);
    button->setProperty("answer", answer);
    if (isDefault) setDefaultButton(button);
    return button;
  }

  QAbstractButton* escape_ = nullptr;
};

class QtBoxes final : public SetupMessageBox {
 public:
  int Show(QWidget* owner, unsigned style, const QString& caption, const QString& text) override {
    Box box(style, caption, text, owner);
    return box.Run();
  }
};

}  // namespace

SetupMessageBox& QtSetupMessageBox() {
  static QtBoxes boxes;
  return boxes;
}
