#include "hintform.h"

#include "focuscues.h"
#include "formparts.h"
#include "stringtable.h"

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

  Image1 = Named(new QLabel(this), "Image1");
  Image1->setGeometry(7, 7, 32, 32);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

  Hint = Named(new QLabel(this), "Hint");
  Hint->setGeometry(52, 7, 261, 52);
  Hint->setWordWrap(true);
  Hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  DontShowAgain = Named(new QCheckBox(LoadStr(Str::DontShowHintAgain), this), "DontShowAgain");
  DontShowAgain->move(84, 72);
  DontShowAgain->adjustSize();

  bOK = PlacedButton(this, QStringLiteral("bOK"), QStringLiteral("OK"), QRect(128, 91, 75, 25));
  bOK->setDefault(true);
  connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
  // The hint is read and dismissed: the focus starts on OK, where Space can't tick the box by
  // mistake, and shows there at once.
  FrameFocusedButton(bOK);
  bOK->setFocus();
  ShowFocusFromTheStart(this);

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
