#include "winepaths.h"

#include "paths.h"
#include "registry.h"
#include "registrynames.h"

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
  const QString mapped = root + rest;
  const QString onDisk = ResolveExisting(mapped);
  if (onDisk.isEmpty()) return mapped;
  // A folder keeps the separator it was written with.
  return mapped.endsWith(u'/') && !onDisk.endsWith(u'/') ? onDisk + u'/' : onDisk;
#endif
}

QString WineDesktopFolder() {
  const auto user = ReadOnlyRegistryFile(WinePrefix() + u"/user.reg"_s, u"HKEY_CURRENT_USER"_s);
  if (!user) return {};
  const auto desktop = user->Value(u"HKEY_CURRENT_USER\\"_s + kShellFoldersKey, kDesktopValue);
  if (!desktop || desktop->type != RegValue::Type::String || desktop->text.isEmpty()) return {};
  const QString folder = MapWindowsPath(desktop->text);
  return folder != desktop->text && FolderExists(folder) ? folder : QString();
}
