#include "prefs.h"

#include "focuscues.h"
#include "formparts.h"
#include "saltmarch.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

QLineEdit* DisplayOnlyEdit(QWidget* parent, const char* name, QRect geometry) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setGeometry(geometry);
  edit->setEnabled(false);
  // Drawn in the button-face colour: the folder is shown, not typed.
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Button));
  palette.setColor(QPalette::Disabled, QPalette::Text,
                   palette.color(QPalette::Active, QPalette::Text));
  edit->setPalette(palette);
  return edit;
}

}  // namespace

TF_Prefs::TF_Prefs(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("F_Prefs"));
  ShowFocusFromTheStart(this);
  setWindowTitle(QStringLiteral("Preferences"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(433, 255);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(8, 8, 337, 239);
  TS_Files = new QWidget;
  TS_Files->setObjectName(QStringLiteral("TS_Files"));
  PageControl1->addTab(TS_Files, QStringLiteral("Dune2000 Info"));

  Label1 = new QLabel(QStringLiteral("Location Of Dune2000"), TS_Files);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(8, 12);
  E_Location = DisplayOnlyEdit(TS_Files, "E_Location", QRect(8, 30, 241, 23));
  B_D2kBrowse =
      PlacedButton(TS_Files, "B_D2kBrowse", QStringLiteral("&Change"), QRect(256, 29, 65, 25));

  Label2 = new QLabel(QStringLiteral("Location For Backup Files"), TS_Files);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->move(8, 70);
  E_BackupLoc = DisplayOnlyEdit(TS_Files, "E_BackupLoc", QRect(8, 88, 241, 23));
  B_BakBrowse =
      PlacedButton(TS_Files, "B_BakBrowse", QStringLiteral("&Change"), QRect(256, 87, 65, 25));

  B_OK = PlacedButton(this, "B_OK", QStringLiteral("OK"), QRect(353, 30, 75, 25));
  B_OK->setDefault(true);
  B_Cancel = PlacedButton(this, "B_Cancel", QStringLiteral("Cancel"), QRect(353, 62, 75, 25));

  connect(B_D2kBrowse, &QPushButton::clicked, this, &TF_Prefs::B_D2kBrowseClick);
  connect(B_BakBrowse, &QPushButton::clicked, this, &TF_Prefs::B_BakBrowseClick);
  connect(B_OK, &QPushButton::clicked, this, &TF_Prefs::B_OKClick);
  connect(B_Cancel, &QPushButton::clicked, this, &TF_Prefs::B_CancelClick);
  FormShow();
}

void TF_Prefs::FormShow() {
  E_Location->setText(SaltmarchApp->GameFolder);
  E_BackupLoc->setText(SaltmarchApp->BackupFolder);
  B_BakBrowse->setEnabled(!SaltmarchApp->GameFolder.isEmpty());
}

void TF_Prefs::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TF_Prefs::B_D2kBrowseClick() {
  SaltmarchApp->BrowseForGame();
  FormShow();
}

void TF_Prefs::B_BakBrowseClick() {
  SaltmarchApp->BrowseForBackupFolder();
  FormShow();
}

// Both close the dialog: a folder chosen in a browser is already in effect, so Cancel has
// nothing to undo.
void TF_Prefs::B_OKClick() {
  accept();
}
void TF_Prefs::B_CancelClick() {
  reject();
}

void TF_Prefs::done(int result) {
  // However the dialog ends (OK, Cancel, the close box), pending work is let through first.
  QCoreApplication::processEvents();
  QDialog::done(result);
}
