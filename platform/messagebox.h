#pragma once

#include "dialogs.h"

#include <QMessageBox>

#include <map>

// One message dialog of the four kinds. Buttons stand in the order Yes, No, OK, Cancel, Abort,
// Retry; Enter presses OK, else Yes, else Retry; Escape presses Cancel, else No, else OK; the
// close box answers Cancel whatever the buttons are.
class MessageBox : public QMessageBox {
  Q_OBJECT
 public:
  MessageBox(MsgKind kind, const QString& text, MsgButtons buttons, QWidget* parent = nullptr);
  MsgResult Run();
  MsgResult Answer() const { return answer_; }
  QAbstractButton* ButtonFor(MsgButton button) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Press(MsgResult answer);

  std::map<MsgButton, QAbstractButton*> buttons_;
  MsgResult answer_ = MsgResult::Cancel;
  MsgButtons shown_ = 0;
};
