#include "unattended.h"

#include "diskprompt.h"
#include "installerui.h"
#include "interpreter.h"
#include "setupstrings.h"
#include "startup.h"

#include <QFileInfo>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

class ConsoleUi final : public InstallerUi {
 public:
  ConsoleUi(RunState& state, std::FILE* out) : state_(state), out_(out) {}

  void SetStatus(const QString& text) override { Print(text); }
  void SetFileProgress(int) override {}
  void StepOverall() override {}
  void Repaint() override {}

  int ShowSetupMessage(unsigned style, const QString& caption, const QString& text) override {
    Print(SetupText(caption) + u": "_s + SetupText(text));
    switch (style & kBoxButtonsMask) {
      case kBoxYesNo:
        return idYes;
      case kBoxAbortRetryIgnore:
        return idAbort;
      case kBoxOkCancel:
        return idCancel;
      default:
        return idOk;
    }
  }

  // Nobody can change disks here: the disk there now is the only one there will be. It is
  // looked for once; a missing one is reported with the prompt's text, and the install stops.
  bool WaitForDisk(int n) override {
    bool looked = false;
    return AwaitDisk(*this, state_, n, [&](const QString& prompt) {
      if (!std::exchange(looked, true)) return DiskAnswer::Look;
      Print(SetupString(smSetup) + u": "_s + prompt);
      return DiskAnswer::GiveUp;
    });
  }

  void EndSetup() override {}

 private:
  // The line breaks of the messages stay; any other control character that slipped into a
  // line is shown, never sent to the terminal.
  void Print(const QString& line) {
    const QString shown = Shown(line, KeepLineBreaks::Yes);
    std::fputs(shown.toLocal8Bit().constData(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }

  RunState& state_;
  std::FILE* out_;
};

}  // namespace

int RunUnattended(const QString& sourceFolder, const QString& location, std::FILE* out) {
  RunState state;
  UseSystemFolders(state);
  state.sourceFolder = WithoutTrailingSeparator(sourceFolder);
  ConsoleUi ui(state, out);
  ui.SetStatus(SetupString(smInstallingFrom) + Shown(state.sourceFolder));

  InstallScript script;
  if (const LoadFailure failure = LoadScript(state.sourceFolder, state.buffer, script)) {
    ui.ShowSetupMessage(0, SetupRef(smError), failure.Text());
    return 1;
  }
  const QString target = location.isEmpty() ? script.defaultLocation : location;
  // Nobody is there to give another location: a location that can't be used ends the install.
  LocationProblem problem;
  if (PrepareLocation(target, script, state, ui, nullptr, problem) != LocationResult::Run) {
    if (problem.message != 0) {
      ui.ShowSetupMessage(0, SetupRef(smError), problem.Text(true));
      ui.SetStatus(u"setup --unattended --location DIR installs into another folder"_s);
    }
    return 1;
  }
  return RunInstall(script, state, ui) == RunOutcome::Completed ? 0 : 1;
}
