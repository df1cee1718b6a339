#include "winelaunch.h"

#include "paths.h"
#include "winepaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

QString WineProgram() {
  const QString wine = QStandardPaths::findExecutable(u"wine"_s);
  return wine.isEmpty() ? QStandardPaths::findExecutable(u"wine64"_s) : wine;
}

ProgramStart StartWithWine(const QString& program) {
  const QString wine = WineProgram();
  if (wine.isEmpty()) return {ProgramStart::Outcome::NoWine, {}};
  // Wine would only say on its own error stream, which nobody reads, that the file is missing.
  const QString file = QDir::cleanPath(ResolveExisting(program));
  if (file.isEmpty() || !QFileInfo(file).isFile()) {
    return {ProgramStart::Outcome::Failed,
            QDir::cleanPath(program) + u": "_s + SystemErrorText(kErrorNoSuchFile)};
  }
  QProcess process;
  process.setProgram(wine);
  process.setArguments({file});
  process.setWorkingDirectory(QFileInfo(file).absolutePath());
  process.setStandardInputFile(QProcess::nullDevice());
  const QString prefix = WinePrefixHolding(file);
  if (!prefix.isEmpty()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"WINEPREFIX"_s, prefix);
    process.setProcessEnvironment(environment);
  }
  if (!process.startDetached()) {
    return {ProgramStart::Outcome::Failed, wine + u": "_s + process.errorString()};
  }
  return {};
}
