#include "paths.h"

#include "programinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace Qt::Literals::StringLiterals;

QChar PathSeparator() {
#ifdef _WIN32
  return u'\\';
#else
  return u'/';
#endif
}

QString NativeText(QStringView windowsStyle) {
  QString text = windowsStyle.toString();
#ifndef _WIN32
  text.replace(u'\\', u'/');
#endif
  return text;
}

QString WithTrailingSeparator(const QString& folder) {
  // A Windows path read from the registry already ends in its own separator, and Windows
  // takes a forward slash as one too.
  if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\')) {
    return folder;
  }
  return folder + PathSeparator();
}

QString FolderPart(const QString& path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    const QChar c = path[i];
    if (c == u'\\' || c == u'/' || c == u':') return path.left(i + 1);
  }
  return {};
}

QString ProgramFolder() {
  return ProgramInfo().Folder();
}

#ifdef _WIN32

QString ResolveExisting(const QString& path) {
  return QFileInfo::exists(path) ? path : QString();
}

#else

namespace {

// The entry of `folder` whose name equals `name` ignoring case; an exact match wins.
QString MatchEntry(const QString& folder, const QString& name) {
  const QDir dir(folder.isEmpty() ? u"."_s : folder);
  const QStringList entries =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  QString found;
  for (const QString& entry : entries) {
    if (entry == name) return entry;
    if (found.isEmpty() && entry.compare(name, Qt::CaseInsensitive) == 0) found = entry;
  }
  return found;
}

}  // namespace

QString ResolveExisting(const QString& path) {
  if (path.isEmpty()) return {};
  if (QFileInfo::exists(path)) return path;

  const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
  QString current = path.startsWith(u'/') ? u"/"_s : QString();
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString& part = parts[i];
    QString name = part;
    if (part != u"."_s && part != u".."_s && !QFileInfo::exists(current + part)) {
      name = MatchEntry(current, part);
      if (name.isEmpty()) return {};
    }
    current += name;
    if (i + 1 < parts.size()) current += u'/';
  }
  return current;
}

#endif

bool FileExists(const QString& path) {
  const QString found = ResolveExisting(path);
  return !found.isEmpty() && QFileInfo(found).isFile();
}

bool FolderExists(const QString& path) {
  const QString found = ResolveExisting(path);
  return !found.isEmpty() && QFileInfo(found).isDir();
}

#ifdef _WIN32
const int kErrorNoSuchFile = ERROR_FILE_NOT_FOUND;
const int kErrorNoSuchFolder = ERROR_PATH_NOT_FOUND;
const int kErrorDiskFull = ERROR_DISK_FULL;
#else
const int kErrorNoSuchFile = ENOENT;
const int kErrorNoSuchFolder = ENOENT;
const int kErrorDiskFull = ENOSPC;
#endif

QString SystemErrorText(int code) {
#ifdef _WIN32
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  QString text = length ? QString::fromWCharArray(buffer, length).trimmed() : QString();
  LocalFree(buffer);
  return text;
#else
  return QString::fromLocal8Bit(std::strerror(code));
#endif
}

bool CreateOneFolder(const QString& path, int* error) {
  if (path.isEmpty()) {
    if (error) *error = kErrorNoSuchFolder;
    return false;
  }
#ifdef _WIN32
  if (CreateDirectoryW(reinterpret_cast<const wchar_t*>(path.utf16()), nullptr)) return true;
  if (error) *error = int(GetLastError());
#else
  if (::mkdir(path.toLocal8Bit().constData(), 0777) == 0) return true;
  if (error) *error = errno;
#endif
  return false;
}
