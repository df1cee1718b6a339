#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// Shows where the editor believes the game and its backup are, and changes either folder
// through the application object's folder browsers. A folder chosen here is in effect at once.
class TF_Prefs : public QDialog {
  Q_OBJECT
 public:
  explicit TF_Prefs(QWidget* parent = nullptr);

  void FormShow();  // also the refresh after a browser closed
  void B_D2kBrowseClick();
  void B_BakBrowseClick();
  void B_OKClick();
  void B_CancelClick();

  QTabWidget* PageControl1;
  QWidget* TS_Files;
  QLabel* Label1;
  QLineEdit* E_Location;
  QPushButton* B_D2kBrowse;
  QLabel* Label2;
  QLineEdit* E_BackupLoc;
  QPushButton* B_BakBrowse;
  QPushButton* B_OK;
  QPushButton* B_Cancel;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
};
