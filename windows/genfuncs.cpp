#include "genfuncs.h"

#include "dialogs.h"
#include "resstrings.h"
#include "shell.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

QString FileVersionText() {
  const VersionBlock block = ProgramInfo().Version();
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
