#include "unattended.h"

#include "installerui.h"
#include "installfolders.h"
#include "interpreter.h"
#include "setupstrings.h"
#include "startup.h"
#include "textformat.h"

#include <QFileInfo>

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

  // Nobody can change disks here: a disk is there when its folder is.
  bool WaitForDisk(int n) override {
    if (n == state_.currentDisk) return true;
    if (CanEnter(DiskFolder(state_, n))) {
      state_.currentDisk = n;
      return true;
    }
    Print(SetupString(smSetup) + u": "_s + Format(SetupString(smInsertDisk), {QString::number(n)}));
    ShowSetupMessage(0, u"@2"_s, u"@19"_s);
    EndSetup();
    return false;
  }

  void EndSetup() override {}

 private:
  void Print(const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), out_);
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
  ui.SetStatus(SetupString(smInstallingFrom) + state.sourceFolder);

  InstallScript script;
  if (const int failure = LoadScript(state.sourceFolder, state.buffer, script)) {
    ui.ShowSetupMessage(0, u"@2"_s, u"@"_s + QString::number(failure));
    return 1;
  }
  const QString target = location.isEmpty() ? script.defaultLocation : location;
  if (PrepareLocation(target, script, state, ui, nullptr) != LocationResult::Run) return 1;
  return RunInstall(script, state, ui) == RunOutcome::Completed ? 0 : 1;
}
