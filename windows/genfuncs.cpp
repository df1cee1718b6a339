#include "genfuncs.h"

#include "dialogs.h"
#include "resstrings.h"
#include "shell.h"

#include <QCoreApplication>

namespace {
const VersionBlock* g_versionOverride = nullptr;
}

VersionBlock ProgramVersionBlock() {
  if (g_versionOverride) return *g_versionOverride;
  return VersionBlock{true, true, QStringLiteral(SMARCH_FILE_VERSION)};
}

void SetProgramVersionBlockForTesting(const VersionBlock* block) {
  g_versionOverride = block;
}

QString FileVersionText() {
  const VersionBlock block = ProgramVersionBlock();
  if (!block.present) return QStringLiteral("< No Data Available >");
  if (!block.queried) return QStringLiteral("Error retrieving version info");
  // The length the version API reports counts the terminating zero.
  if (block.fileVersion.size() + 1 < 2) return QStringLiteral("No Version Info");
  return block.fileVersion;
}

void OpenWebPage(const QString& address) {
  if (!Shell().Open(address)) {
    ShowMessage(QStringLiteral("Could not open web page. (\"") + address + QStringLiteral("\")"));
  }
}

QString ApplicationTitle() {
  return LoadStr(Str::AppTitle);
}
