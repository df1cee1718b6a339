#include "installfolders.h"

#include "paths.h"
#include "safefs.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>

#include <limits>
#endif

using namespace Qt::Literals::StringLiterals;

#ifdef _WIN32
namespace {

const wchar_t* W(const QString& text) {
  return reinterpret_cast<const wchar_t*>(text.utf16());
}

// A folder the system names through one of its calls that fill a buffer.
QString SystemPath(UINT (*call)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT size = call(buffer, MAX_PATH + 1);
  if (size == 0 || size > MAX_PATH) return {};
  return QString::fromWCharArray(buffer, size);
}

}  // namespace
#endif

bool WildcardMatch(QStringView pattern, QStringView name) {
  // Only "*" and "?" are wildcards, as in the system's file search; letter case does not count.
  qsizetype p = 0, n = 0, starP = -1, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP >= 0) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool RemoveTree(const QString& folder) {
  return !folder.isEmpty() && RemoveTreeAt(Reach(folder));
}

bool MarkerFound(const QString& folder, const QString& pattern) {
  const QString full = folder + PathSeparator() + pattern;
  const qsizetype cut = full.lastIndexOf(PathSeparator());
  const QString name = full.mid(cut + 1);
  if (name.isEmpty()) return false;
  const QString where = ResolveExisting(full.left(cut));
  if (where.isEmpty() || !QFileInfo(where).isDir()) return false;
  const QStringList entries =
      QDir(where).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  return std::any_of(entries.begin(), entries.end(),
                     [&name](const QString& entry) { return WildcardMatch(name, entry); });
}

bool CanEnter(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && info.isDir() && info.isExecutable();
}

#ifdef _WIN32

std::int64_t FreeSpace(const QString& path) {
  ULARGE_INTEGER available{};
  // A folder of the drive, ending in a backslash as the call wants for shared folders.
  QString folder = QDir::toNativeSeparators(path);
  if (!folder.endsWith(u'\\')) folder += u'\\';
  if (!GetDiskFreeSpaceExW(W(folder), &available, nullptr, nullptr)) return -1;
  return static_cast<std::int64_t>(
      std::min<ULONGLONG>(available.QuadPart, std::numeric_limits<std::int64_t>::max()));
}

QString WindowsFolder() {
  return SystemPath(GetWindowsDirectoryW);
}

QString SystemFolder() {
  return SystemPath(GetSystemDirectoryW);
}

#else

std::int64_t FreeSpace(const QString& path) {
  const QStorageInfo storage(path);
  return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString WindowsFolder() {
  const QString windir = qEnvironmentVariable("WINDIR");
  if (!windir.isEmpty()) return QDir::toNativeSeparators(windir);
  QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (prefix.isEmpty()) prefix = QDir::homePath() + u"/.wine"_s;
  return QDir::toNativeSeparators(prefix + u"/drive_c/windows"_s);
}

QString SystemFolder() {
  const QString windows = WindowsFolder();
  const QString system = ResolveExisting(windows + PathSeparator() + u"system32"_s);
  return system.isEmpty() ? windows + PathSeparator() + u"system32"_s : system;
}

#endif
