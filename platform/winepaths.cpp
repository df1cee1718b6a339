#include "winepaths.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString WinePrefix() {
  const QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (!prefix.isEmpty()) return prefix;
  return QDir::homePath() + u"/.wine"_s;
}

QString MapWindowsPath(const QString& path) {
#ifdef _WIN32
  return path;
#else
  if (path.size() < 2 || !path[0].isLetter() || path[1] != u':') return path;
  const QString drive = WinePrefix() + u"/dosdevices/"_s + path.left(2).toLower();
  const QFileInfo link(drive);
  if (!link.exists()) return path;
  QString root = link.canonicalFilePath();
  QString rest = path.mid(2);
  rest.replace(u'\\', u'/');
  if (!rest.startsWith(u'/')) rest.prepend(u'/');
  if (root.endsWith(u'/')) root.chop(1);
  return root + rest;
#endif
}
