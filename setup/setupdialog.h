#pragma once

#include "diskprompt.h"
#include "installerui.h"
#include "interpreter.h"
#include "script.h"
#include "startup.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class SetupMessageBox;

// What the setup window works with; tests replace the parts that ask the user or the machine.
struct SetupEnvironment {
  QString sourceFolder;                 // where the script lies: the folder setup started in
  SetupMessageBox* messages = nullptr;  // null: Qt message boxes
  ProgramRunner* runner = nullptr;      // null: real processes
  std::function<std::int64_t(const QString&)> freeSpace;  // null: the drive's free space
  BufferAllocator allocate;                               // null: the ordinary allocation
  QString windowsFolder, systemFolder, desktopFolder;
};

// The machine's environment: the current folder and the platform's folders.
SetupEnvironment SystemEnvironment();

// The window's way of asking for a disk: the prompt box, whose OK has the disk looked for. Its
// Cancel asks whether to abort the installation; No to that shows the prompt again.
DiskAnswer AskForDiskInABox(InstallerUi& ui, const QString& prompt);

// The one window of setup, laid out from the "SetupDlg" template. Its controls carry their ids
// as object names: 2011 location, 2000 OK, 2001 Cancel, 2012 status line, 2013 current-file
// bar, 2014 overall bar, 2015 welcome line, 2016 notice.
class SetupDlg : public QDialog, public InstallerUi {
  Q_OBJECT
 public:
  static constexpr int kOk = 2000, kCancel = 2001, kLocation = 2011, kStatus = 2012,
                       kFileBar = 2013, kOverallBar = 2014, kWelcome = 2015, kNotice = 2016;

  explicit SetupDlg(SetupEnvironment environment = SystemEnvironment());
  ~SetupDlg() override;

  bool Initialised() const { return initialised_; }
  bool Running() const { return running_; }
  const RunState& State() const { return state_; }
  RunOutcome Outcome() const { return outcome_; }
  // Brings the window to the front, restored if it was minimised, with any open box on top.
  void BringToFront();

  // InstallerUi
  void SetStatus(const QString& text) override;
  void SetFileProgress(int percent) override;
  void StepOverall() override;
  void Repaint() override;
  int ShowSetupMessage(unsigned style, const QString& caption, const QString& text) override;
  bool WaitForDisk(int n) override;
  void EndSetup() override;

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildFromTemplate();
  void StartUp();
  void B_OKClick();
  void EnableButtons(bool enabled);
  // The status line's first text, "Installing From: " and the source folder.
  void ShowSourceFolder();

  SetupEnvironment env_;
  RunState state_;
  InstallScript script_;
  RunOutcome outcome_ = RunOutcome::Stopped;
  bool initialised_ = false;
  bool startupQueued_ = false;
  bool running_ = false;
  bool ending_ = false;

  QLineEdit* E_Location = nullptr;
  QPushButton* B_OK = nullptr;
  QPushButton* B_Cancel = nullptr;
  QLabel* L_Status = nullptr;
  QProgressBar* PB_File = nullptr;
  QProgressBar* PB_Overall = nullptr;
  QLabel* L_Welcome = nullptr;
  QLabel* L_Notice = nullptr;
};
