#include "webpage.h"

#include "dialogs.h"
#include "shell.h"
#include "stringtable.h"

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
