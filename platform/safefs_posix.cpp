#include "safefs.h"

#include "paths.h"
#include "safefs_p.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace SafeFs;

namespace {

QByteArray Bytes(const QString& name) {
  return QFile::encodeName(name);
}

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

std::vector<QString> EntriesOf(int folder) {
  std::vector<QString> names;
  const int scan = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (scan < 0) return names;
  DIR* dir = ::fdopendir(scan);
  if (!dir) {
    ::close(scan);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.push_back(QFile::decodeName(entry->d_name));
  }
  ::closedir(dir);
  return names;
}

// The name of the entry of `folder` that `name` means: itself when it exists, else an entry
// that differs only in letter case, else `name` (absent).
QString FindEntry(int folder, const QString& name) {
  struct stat st {};
  if (::fstatat(folder, Bytes(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
  for (const QString& entry : EntriesOf(folder)) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
  }
  return name;
}

int OpenFolderAt(int folder, const QString& name, bool follow) {
  return ::openat(folder, Bytes(name).constData(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW));
}

int OpenFolder(const QString& path) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) {
    errno = ENOENT;
    return -1;
  }
  return OpenFolderAt(AT_FDCWD, found, true);
}

void RemoveContents(int folder) {
  for (const QString& name : EntriesOf(folder)) {
    const QByteArray bytes = Bytes(name);
    struct stat st {};
    if (::fstatat(folder, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      ::unlinkat(folder, bytes.constData(), 0);
    } else if (S_ISDIR(st.st_mode)) {
      if (name.startsWith(u'.')) continue;
      const int sub = OpenFolderAt(folder, name, false);
      if (sub < 0) continue;
      RemoveContents(sub);
      ::close(sub);
      ::unlinkat(folder, bytes.constData(), AT_REMOVEDIR);
    } else if (st.st_mode & S_IWUSR) {
      // A read-only file stays, as the installer's scripts expect.
      ::unlinkat(folder, bytes.constData(), 0);
    }
  }
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::stat(Bytes(path).constData(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void Place::Release() {
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

EntryKind Place::Kind(FileIdentity* identity) const {
  struct stat st {};
  if (!reached_ || ::fstatat(folder_, Bytes(name_).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return EntryKind::Absent;
  if (identity)
    *identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return KindOfMode(st.st_mode);
}

Place Reach(const QString& path, const QStringList& trusted) {
  Place place;
  const QChar separator = PathSeparator();
  const QString anchor = AnchorOf(path, trusted);
  QString base = anchor;
  QString below;
  if (anchor.isEmpty() || anchor == path) {
    // The folder part is taken as named; only the last entry is not followed.
    place.trusted_ = true;
    const qsizetype cut = path.lastIndexOf(separator);
    base = cut < 0 ? u"."_s : cut == 0 ? QString(separator) : path.left(cut);
    below = path.mid(cut + 1);
  } else {
    below = Below(path, anchor);
  }
  QStringList rest = below.split(separator, Qt::SkipEmptyParts);
  // A path that ends in "." or ".." (or a separator) names a folder itself: it is walked to
  // the end, and the entry is that folder's ".".
  const bool itself = rest.isEmpty() || rest.last() == u"."_s || rest.last() == u".."_s;
  rest.removeAll(u"."_s);
  const qsizetype folders = itself ? rest.size() : rest.size() - 1;

  int folder = OpenFolder(base);
  int failure = folder < 0 ? errno : 0;
  QString walked = ResolveExisting(base);
  for (qsizetype i = 0; folder >= 0 && i < folders; ++i) {
    const QString name = rest[i] == u".."_s ? rest[i] : FindEntry(folder, rest[i]);
    const int next = OpenFolderAt(folder, name, false);
    failure = next < 0 ? errno : 0;
    ::close(folder);
    folder = next;
    walked = InFolder(walked, name);
  }
  if (folder < 0) {
    place.failure_ = failure;
    return place;
  }
  place.folder_ = folder;
  place.reached_ = true;
  place.name_ = itself ? u"."_s : FindEntry(folder, rest.last());
  place.path_ = itself ? walked : InFolder(walked, place.name_);
  return place;
}

bool CanEnterAt(const Place& place) {
  if (!place.Reached()) return false;
  const int folder = OpenFolderAt(place.Folder(), place.Name(), place.Trusted());
  if (folder < 0) return false;
  ::close(folder);
  return ::faccessat(place.Folder(), Bytes(place.Name()).constData(), X_OK, 0) == 0;
}

bool MakeFolderAt(const Place& place) {
  return place.Reached() && ::mkdirat(place.Folder(), Bytes(place.Name()).constData(), 0777) == 0;
}

bool DeleteFileAt(const Place& place) {
  struct stat st {};
  const QByteArray name = Bytes(place.Name());
  if (!place.Reached() ||
      ::fstatat(place.Folder(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return false;
  if (!S_ISLNK(st.st_mode) && !(S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR))) return false;
  return ::unlinkat(place.Folder(), name.constData(), 0) == 0;
}

bool RemoveTreeAt(const Place& place) {
  const QByteArray name = Bytes(place.Name());
  switch (place.Kind()) {
    case EntryKind::Link:
      // A link into another tree: only the link goes.
      ::unlinkat(place.Folder(), name.constData(), 0);
      return true;
    case EntryKind::Folder: {
      const int folder = OpenFolderAt(place.Folder(), place.Name(), false);
      if (folder < 0) return false;
      RemoveContents(folder);
      ::close(folder);
      ::unlinkat(place.Folder(), name.constData(), AT_REMOVEDIR);
      return true;
    }
    default:
      return false;
  }
}
