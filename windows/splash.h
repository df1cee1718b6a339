#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QTimer;
class QToolButton;
class TAnimPicture;

// The round window that presents the product at start-up. It stays until the user dismisses
// it with OK or Enter; then it shrinks away step by step, closes and releases itself. Shown
// with exec(), it ends the modal run when it closes; exec() returns after it is gone, and its
// result says nothing.
class TF_Splash : public QDialog {
  Q_OBJECT
 public:
  explicit TF_Splash(QWidget* parent = nullptr);

  // The closing animation's step counter: 1 before the first step, 35 after the last.
  int Tag() const;

  // Handlers, public so the start-up and the tests can drive the window step by step.
  void OKButtonClick();
  void FormKeyPress(QChar key);
  void T_ThatsAllFolksTimer();

  QLabel* L_Beta;
  QFrame* Bevel3;
  QLabel* ProductName;
  QLabel* Copyright;
  QLabel* L_AnimCaption;
  QFrame* Bevel1;
  QLabel* Version;
  QFrame* Bv_Anim;
  QWidget* Shape1;
  QToolButton* OKButton;
  TAnimPicture* Anim;
  QTimer* T_ThatsAllFolks;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormClose(QCloseEvent* event);
};
