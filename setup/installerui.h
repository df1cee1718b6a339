#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Message box styles and answers, with the values the installer's scripts and texts were made
// for. Style 0 is an OK box with the exclamation icon.
inline constexpr unsigned kBoxOk = 0x00;
inline constexpr unsigned kBoxOkCancel = 0x01;
inline constexpr unsigned kBoxAbortRetryIgnore = 0x02;
inline constexpr unsigned kBoxYesNo = 0x04;
inline constexpr unsigned kBoxButtonsMask = 0x0F;
inline constexpr unsigned kIconHand = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconMask = 0xF0;

enum SetupAnswer : int {
  idOk = 1,
  idCancel = 2,
  idAbort = 3,
  idRetry = 4,
  idIgnore = 5,
  idYes = 6,
  idNo = 7,
};

// What the interpreter asks of the window that shows its progress: the setup window, the
// console of an unattended install, or a test's recorder.
class InstallerUi {
 public:
  virtual ~InstallerUi() = default;
  // One line of text in the status line.
  virtual void SetStatus(const QString& text) = 0;
  // The "Current File" bar, 0 to 100.
  virtual void SetFileProgress(int percent) = 0;
  // Advances the "Overall" bar by one command.
  virtual void StepOverall() = 0;
  // Paints the window and all its controls at once.
  virtual void Repaint() = 0;
  // A message box; caption and text may be "@n" references to the string table. Gives the
  // button pressed.
  virtual int ShowSetupMessage(unsigned style, const QString& caption, const QString& text) = 0;
  // True once disk n is in the drive; false when the user gave up (the window is then closing).
  virtual bool WaitForDisk(int n) = 0;
  // Closes the window; the program ends when it is gone.
  virtual void EndSetup() = 0;
};

// Starting a program that the script names, and waiting for its end.
class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;
  // Starts `program` with `arguments` in `folder` and waits for its end, calling `waiting`
  // before every wait of at most 500 ms. False when the program could not be started.
  virtual bool Run(const QString& program, const QStringList& arguments, const QString& folder,
                   const std::function<void()>& waiting) = 0;
};

// The runner that starts real processes.
ProgramRunner& ProcessRunner();
