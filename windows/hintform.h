#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The one-time hint shown after a unit was saved to memory, with the switch that stops it.
class TF_HintForm : public QDialog {
  Q_OBJECT
 public:
  explicit TF_HintForm(QWidget* parent = nullptr);

  QLabel* Image1;
  QLabel* Hint;
  QCheckBox* DontShowAgain;
  QPushButton* bOK;
};

// Shows the hint over the active window and waits for OK; true when the user ticked the box
// that stops it. The application object shows its hints through this.
bool ShowHintForm(const QString& text);
