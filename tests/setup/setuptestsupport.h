#pragma once

#include "compressed.h"
#include "installerui.h"
#include "interpreter.h"
#include "setupbox.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// One message box as the installer showed it: style, caption and text as the user reads them.
struct BoxRecord {
  unsigned style = 0;
  QString caption;
  QString text;
  int answer = 0;
};

// Answers the installer's boxes from a queue and records them. A box that finds the queue empty
// gets the answer that ends things soonest (OK, Cancel, Yes to "abort?", Abort), so a test that
// forgot an answer fails instead of looping; questions answered so are counted in `unexpected`.
class BoxResponder {
 public:
  BoxResponder& Answer(int answer) {
    answers.push_back(answer);
    return *this;
  }
  int Respond(unsigned style, const QString& caption, const QString& text);
  QStringList Texts() const;

  std::vector<BoxRecord> boxes;
  std::deque<int> answers;
  int unexpected = 0;
  // Runs while a box is up, before it is answered: the user changing disks, say.
  std::function<void(const BoxRecord&)> onBox;
};

// The interpreter's window, replaced by a recorder; the disk prompt asks as the window does.
class RecordingUi : public InstallerUi, public BoxResponder {
 public:
  explicit RecordingUi(RunState& state) : state_(state) {}
  void SetStatus(const QString& text) override { statuses << text; }
  void SetFileProgress(int percent) override { progress.push_back(percent); }
  void StepOverall() override { ++steps; }
  void Repaint() override { ++repaints; }
  int ShowSetupMessage(unsigned style, const QString& caption, const QString& text) override;
  bool WaitForDisk(int n) override;
  void EndSetup() override { ++ended; }

  QStringList statuses;
  std::vector<int> progress;
  std::vector<int> disksAsked;
  int steps = 0, repaints = 0, ended = 0;

 private:
  RunState& state_;
};

// The setup window's boxes, scripted.
class ScriptedBoxes : public SetupMessageBox, public BoxResponder {
 public:
  int Show(QWidget*, unsigned style, const QString& caption, const QString& text) override {
    return Respond(style, caption, text);
  }
};

// Records the programs X would start, without starting any.
class RecordingRunner : public ProgramRunner {
 public:
  bool Run(const QString& program, const QStringList& arguments, const QString& folder,
           const std::function<void()>& waiting) override;
  QStringList programs;
  std::vector<QStringList> arguments;
  QStringList folders;
  bool starts = true;
};

// A path in the platform's form, as the installer shows and keeps it.
inline QString Native(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// A temporary install medium, install location and stand-ins for the system's folders.
class SetupSandbox {
 public:
  SetupSandbox();
  bool ok() const { return dir_.isValid(); }
  QString Root() const { return Native(dir_.path()); }
  QString Path(const QString& relative) const { return Native(dir_.filePath(relative)); }
  QString Medium() const { return Path(QStringLiteral("medium")); }
  QString Location() const { return Path(QStringLiteral("install")); }
  QString Desktop() const { return Path(QStringLiteral("desktop")); }
  QString Windows() const { return Path(QStringLiteral("windows")); }

  void WriteScript(const QString& text) const;
  void WriteMedium(const QString& name, const QByteArray& bytes) const;
  // A run state for a run from the medium into the location (created), entered.
  RunState State(InstallMode mode = InstallMode::New) const;

 private:
  QTemporaryDir dir_;
};

// A second name for an existing file (a hard link).
bool HardLink(const QString& existing, const QString& name);

#ifdef _WIN32
// What a shell link holds, read back through the shell; nothing when it cannot be read.
struct ShellLinkFields {
  QString target, folder, description;
};
std::optional<ShellLinkFields> ReadShellLink(const QString& file);
#endif

// A whole script text: the four header strings and the commands, each quoted.
QString ScriptText(const QStringList& commands, const QString& marker = QStringLiteral("MARK.ER"),
                   const QString& product = QStringLiteral("Test Product"));
