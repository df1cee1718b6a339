#include "genfuncs.h"

#include "dialogs.h"
#include "resstrings.h"
#include "shell.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

void OpenWebPage(const QString& address) {
  if (!Shell().Open(address)) {
    ShowMessage(QStringLiteral("Could not open web page. (\"") + address + QStringLiteral("\")"));
  }
}

QString ApplicationTitle() {
  return LoadStr(Str::AppTitle);
}
