#include "hintform.h"

#include "resstrings.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

TF_HintForm::TF_HintForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("F_HintForm"));
  setWindowTitle(LoadStr(Str::HintCaption));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(319, 119);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(7, 7, 32, 32);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

  Hint = new QLabel(this);
  Hint->setObjectName(QStringLiteral("Hint"));
  Hint->setGeometry(52, 7, 261, 52);
  Hint->setWordWrap(true);
  Hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  DontShowAgain = new QCheckBox(LoadStr(Str::DontShowHintAgain), this);
  DontShowAgain->setObjectName(QStringLiteral("DontShowAgain"));
  DontShowAgain->move(84, 72);
  DontShowAgain->adjustSize();

  bOK = new QPushButton(QStringLiteral("OK"), this);
  bOK->setObjectName(QStringLiteral("bOK"));
  bOK->setGeometry(128, 91, 75, 25);
  bOK->setDefault(true);
  connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

bool ShowHintForm(const QString& text) {
  TF_HintForm form(QApplication::activeWindow());
  form.Hint->setText(text);
  form.exec();
  return form.DontShowAgain->isChecked();
}
