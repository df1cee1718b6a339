#include "safefs.h"

#include "paths.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

std::int64_t g_failAfter = -1;
int g_failCode = 0;

// The path of `name` in `folder`; a drive's or the system's root ends in the separator already.
QString InFolder(const QString& folder, const QString& name) {
  return folder.endsWith(PathSeparator()) ? folder + name : folder + PathSeparator() + name;
}

// What follows `folder` in `path`, which lies inside it.
QString Below(const QString& path, const QString& folder) {
  return path.mid(InFolder(folder, QString()).size());
}

// The deepest trusted folder that holds `path` (or is it); empty when there is none.
QString AnchorOf(const QString& path, const QStringList& trusted) {
  QString best;
  for (const QString& folder : trusted) {
    if (folder.isEmpty() || folder.size() <= best.size()) continue;
    if (path == folder || path.startsWith(InFolder(folder, QString()))) best = folder;
  }
  return best;
}

QString Temporary(const QString& name) {
  static std::mt19937 random{std::random_device{}()};
  return u"."_s + name + u".setup-"_s + QString::number(random() % 1000000000u, 36);
}

}  // namespace

FullStagingDisk::FullStagingDisk(std::int64_t bytes, int code) {
  g_failAfter = bytes;
  g_failCode = code;
}

FullStagingDisk::~FullStagingDisk() {
  g_failAfter = -1;
}

Place::Place(Place&& other) noexcept {
  *this = std::move(other);
}

Place& Place::operator=(Place&& other) noexcept {
  if (this == &other) return *this;
#ifndef _WIN32
  if (folder_ >= 0) ::close(folder_);
#endif
  folder_ = std::exchange(other.folder_, -1);
  reached_ = std::exchange(other.reached_, false);
  trusted_ = other.trusted_;
  name_ = std::move(other.name_);
  path_ = std::move(other.path_);
  return *this;
}

StagedFile::StagedFile(Place destination, bool keepContent)
    : destination_(std::move(destination)), keepContent_(keepContent) {}

StagedFile::~StagedFile() {
  Discard();
}

#ifndef _WIN32

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
  return found.isEmpty() ? -1 : OpenFolderAt(AT_FDCWD, found, true);
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

Place::~Place() {
  if (folder_ >= 0) ::close(folder_);
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
  QString walked = ResolveExisting(base);
  for (qsizetype i = 0; folder >= 0 && i < folders; ++i) {
    const QString name = rest[i] == u".."_s ? rest[i] : FindEntry(folder, rest[i]);
    const int next = OpenFolderAt(folder, name, false);
    ::close(folder);
    folder = next;
    walked = InFolder(walked, name);
  }
  if (folder < 0) return place;
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

void StagedFile::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlinkat(destination_.Folder(), tempName_.constData(), 0);
}

int StagedFile::Open() {
  if (fd_ >= 0) return 0;
  if (!destination_.Reached() || destination_.Name().isEmpty()) return 28;
  const int folder = destination_.Folder();
  const QByteArray name = Bytes(destination_.Name());
  struct stat st {};
  if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    const EntryKind kind = KindOfMode(st.st_mode);
    if (kind == EntryKind::Folder) return 28;
    if (kind != EntryKind::File) return 36;
    // A file setup may not write stays, as it did when it was written in place.
    if (::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0) return 28;
    replaces_ =
        FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    // The permissions stay; set-user and set-group bits are not carried over to new content.
    mode_ = st.st_mode & 0777;
    keepMode_ = true;
  }

  for (int attempt = 0; attempt < 20 && fd_ < 0; ++attempt) {
    tempName_ = Bytes(Temporary(destination_.Name()));
    fd_ = ::openat(folder, tempName_.constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) return 28;
  if (!keepMode_) {
    struct stat made {};
    ::fstat(fd_, &made);
    mode_ = made.st_mode & 0777;
  }
  if (keepContent_ && replaces_) {
    // Not blocking: a pipe put in the file's place meanwhile gives no data instead of a hang.
    const int old =
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    bool copied = old >= 0;
    std::vector<char> block(64 * 1024);
    while (copied) {
      const ssize_t n = ::read(old, block.data(), block.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        copied = n == 0;
        break;
      }
      copied = Write(block.data(), n);
    }
    if (old >= 0) ::close(old);
    if (!copied) {
      Discard();
      return 28;
    }
  }
  return 0;
}

bool StagedFile::Write(const char* data, std::int64_t size) {
  if (fd_ < 0) return false;
  for (std::int64_t done = 0; done < size;) {
    if (g_failAfter >= 0 && size_ + (size - done) > g_failAfter) {
      g_failAfter = -1;
      errno = g_failCode;
      return false;
    }
    const ssize_t n = ::write(fd_, data + done, static_cast<std::size_t>(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
    size_ += n;
  }
  return true;
}

bool StagedFile::Commit() {
  if (fd_ < 0) return false;
  mode_t mode = mode_;
  if (runnable_) {
    // Programs need the permission to run, which the install medium cannot pass on.
    mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
  }
  const bool flushed = ::fchmod(fd_, mode) == 0 && ::fdatasync(fd_) == 0;
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 || !flushed ||
      ::renameat(destination_.Folder(), tempName_.constData(), destination_.Folder(),
                 Bytes(destination_.Name()).constData()) != 0) {
    ::unlinkat(destination_.Folder(), tempName_.constData(), 0);
    return false;
  }
  return true;
}

#else  // _WIN32: the same rules on paths, with the system's own checks of links and identities.

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

Place::~Place() = default;

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
  if (rest.isEmpty() || !QFileInfo(walked).isDir()) return place;
  for (qsizetype i = 0; i + 1 < rest.size(); ++i) {
    walked = InFolder(walked, rest[i]);
    if (rest[i] != u".."_s && KindOfPath(walked) != EntryKind::Folder) return place;
  }
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

void StagedFile::Discard() {
  if (fd_ < 0) return;
  _close(fd_);
  fd_ = -1;
  _wunlink(W(QString::fromUtf8(tempName_)));
}

int StagedFile::Open() {
  if (fd_ >= 0) return 0;
  if (!destination_.Reached()) return 28;
  FileIdentity id;
  const EntryKind kind = destination_.Kind(&id);
  if (kind == EntryKind::Folder) return 28;
  if (kind != EntryKind::File && kind != EntryKind::Absent) return 36;
  if (kind == EntryKind::File) replaces_ = id;
  const QString folder = QFileInfo(destination_.Path()).path();
  const QString temp = QDir::toNativeSeparators(folder + u'/' + Temporary(destination_.Name()));
  tempName_ = temp.toUtf8();
  const bool copied = keepContent_ && replaces_;
  if (copied && !CopyFileW(W(destination_.Path()), W(temp), TRUE)) return 28;
  fd_ = _wopen(W(temp),
               _O_WRONLY | _O_BINARY | _O_NOINHERIT | (copied ? _O_APPEND : _O_CREAT | _O_EXCL),
               _S_IREAD | _S_IWRITE);
  if (fd_ < 0) {
    if (copied) _wunlink(W(temp));
    return 28;
  }
  size_ = copied ? _filelengthi64(fd_) : 0;
  return 0;
}

bool StagedFile::Write(const char* data, std::int64_t size) {
  if (fd_ < 0) return false;
  if (g_failAfter >= 0 && size_ + size > g_failAfter) {
    g_failAfter = -1;
    return false;
  }
  if (_write(fd_, data, static_cast<unsigned>(size)) != size) return false;
  size_ += size;
  return true;
}

bool StagedFile::Commit() {
  if (fd_ < 0) return false;
  const bool flushed = _commit(fd_) == 0;
  _close(std::exchange(fd_, -1));
  const QString temp = QString::fromUtf8(tempName_);
  if (!flushed || !MoveFileExW(W(temp), W(destination_.Path()),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    _wunlink(W(temp));
    return false;
  }
  return true;
}

#endif
