#include "safefs.h"

#include "paths.h"
#include "safefs_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <windows.h>

// The same rules on paths as elsewhere, with the system's own checks of links and identities.

using namespace Qt::Literals::StringLiterals;
using namespace SafeFs;

namespace {

const wchar_t* W(const QString& s) {
  return reinterpret_cast<const wchar_t*>(s.utf16());
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> Identity(const QString& path, bool follow) {
  return IdentityOfHandle(CreateFileW(
      W(QDir::toNativeSeparators(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr));
}

EntryKind KindOfPath(const QString& path) {
  // The attributes are the entry's own: a link or junction is never looked through here.
  return KindOfAttributes(GetFileAttributesW(W(QDir::toNativeSeparators(path))));
}

}  // namespace

EntryKind KindOfAttributes(unsigned long attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Absent;
  // Symbolic links, junctions and mount points all carry the reparse-point bit; whatever they
  // lead to, they count as links and are never entered.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::Other;
  return EntryKind::File;
}

std::optional<FileIdentity> IdentityOf(const QString& path) {
  return Identity(path, true);
}

void Place::Release() {
  folder_ = -1;
}

EntryKind Place::Kind(FileIdentity* identity) const {
  if (!reached_) return EntryKind::Absent;
  const EntryKind kind = KindOfPath(path_);
  if (identity && kind != EntryKind::Absent) {
    if (auto id = Identity(path_, false)) *identity = *id;
  }
  return kind;
}

Place Reach(const QString& path, const QStringList& trusted) {
  Place place;
  const QString anchor = AnchorOf(path, trusted);
  place.trusted_ = anchor.isEmpty() || anchor == path;
  QString walked = anchor.isEmpty() || anchor == path
                       ? QDir::toNativeSeparators(QFileInfo(path).path())
                       : anchor;
  const QStringList rest = Below(path, walked).split(PathSeparator(), Qt::SkipEmptyParts);
  place.failure_ = ERROR_PATH_NOT_FOUND;
  if (rest.isEmpty() || !QFileInfo(walked).isDir()) return place;
  for (qsizetype i = 0; i + 1 < rest.size(); ++i) {
    walked = InFolder(walked, rest[i]);
    if (rest[i] != u".."_s && KindOfPath(walked) != EntryKind::Folder) return place;
  }
  place.failure_ = 0;
  place.reached_ = true;
  place.name_ = rest.last();
  place.path_ = InFolder(walked, place.name_);
  return place;
}

bool CanEnterAt(const Place& place) {
  const EntryKind kind = place.Kind();
  return kind == EntryKind::Folder || (place.Trusted() && QFileInfo(place.Path()).isDir());
}

bool MakeFolderAt(const Place& place) {
  return place.Reached() && CreateDirectoryW(W(place.Path()), nullptr);
}

bool DeleteFileAt(const Place& place) {
  const EntryKind kind = place.Kind();
  if (kind == EntryKind::Link) return QFile::remove(place.Path()) || QDir().rmdir(place.Path());
  return kind == EntryKind::File && (QFileInfo(place.Path()).permissions() & QFile::WriteOwner) &&
         QFile::remove(place.Path());
}

bool RemoveTreeAt(const Place& place) {
  const EntryKind kind = place.Kind();
  if (kind == EntryKind::Link) return QFile::remove(place.Path()) || QDir().rmdir(place.Path());
  if (kind != EntryKind::Folder) return false;
  const QDir dir(place.Path());
  for (const QFileInfo& entry :
       dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    const Place child = Reach(QDir::toNativeSeparators(entry.absoluteFilePath()));
    if (child.Kind() != EntryKind::Folder)
      DeleteFileAt(child);
    else if (!entry.fileName().startsWith(u'.'))
      RemoveTreeAt(child);
  }
  QDir().rmdir(place.Path());
  return true;
}
