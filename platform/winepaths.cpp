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

namespace {

// The prefix whose drive_c is one of the folders above `path`, read as written.
QString PrefixAbove(QString path) {
  while (!path.isEmpty()) {
    const QFileInfo here(path);
    const QString parent = here.path();
    if (here.fileName() == u"drive_c"_s && (QFileInfo(parent + u"/dosdevices"_s).isDir() ||
                                            QFileInfo(parent + u"/system.reg"_s).isFile())) {
      return parent;
    }
    if (parent == path) break;  // the root
    path = parent;
  }
  return {};
}

}  // namespace

QString WinePrefixHolding(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  // A game folder linked into drive_c from elsewhere is in the prefix as written; one reached
  // through dosdevices/c: only once the links are followed.
  const QString written = PrefixAbove(QDir::cleanPath(info.absoluteFilePath()));
  return written.isEmpty() ? PrefixAbove(info.canonicalFilePath()) : written;
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
