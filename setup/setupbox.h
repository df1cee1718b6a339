#pragma once

#include <QString>

class QWidget;

// The installer's message boxes go through one replaceable service: Qt boxes in the program, a
// scripted responder in tests.
class SetupMessageBox {
 public:
  virtual ~SetupMessageBox() = default;
  // Shows a box over `owner` with the style's buttons and icon (style 0: OK with the
  // exclamation icon); gives the answer (idOk, idCancel, ...). Caption and text are final.
  virtual int Show(QWidget* owner, unsigned style, const QString& caption, const QString& text) = 0;
};

// Plain Qt message boxes. Escape and the close box answer only where the buttons offer a way
// out (Cancel, or a lone OK); a box asking Yes/No or Abort/Retry/Ignore waits for a button.
SetupMessageBox& QtSetupMessageBox();
