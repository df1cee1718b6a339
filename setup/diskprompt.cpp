#include "diskprompt.h"

#include "installfolders.h"
#include "paths.h"
#include "setupstrings.h"
#include "textformat.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// A medium copied onto a file system that keeps letter case may name the folder in other
// letters than the disk's maker did; it still marks the disk.
bool DiskIsIn(const RunState& state, int n) {
  return CanEnter(ResolveExisting(DiskFolder(state, n)));
}

}  // namespace

QString DiskFolder(const RunState& state, int n) {
  return state.sourceFolder + PathSeparator() + QString::asprintf("DISK%04d", n);
}

bool AwaitDisk(InstallerUi& ui, RunState& state, int n, const DiskAsker& ask) {
  if (n == state.currentDisk) return true;
  const QString prompt = Format(SetupString(smInsertDisk), {QString::number(n)});
  while (ask(prompt) == DiskAnswer::Look) {
    if (DiskIsIn(state, n)) {
      state.currentDisk = n;
      return true;
    }
  }
  ui.ShowSetupMessage(0, SetupRef(smError), SetupRef(smNotCompleted));
  ui.EndSetup();
  return false;
}
