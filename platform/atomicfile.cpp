#include "atomicfile.h"

#include "paths.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

qint64 g_failAfter = -1;
int g_failCode = 0;

constexpr qint64 kBlock = 64 * 1024;

// The stand-in for a full disk: true, with its code, when writing `more` bytes after `written`
// would pass the point where the disk fills up. It fails one write only.
bool DiskFillsUp(qint64 written, qint64 more, int* code) {
  if (g_failAfter < 0 || written + more <= g_failAfter) return false;
  g_failAfter = -1;
  *code = g_failCode;
  return true;
}

// Hands out `bytes` a buffer at a time, for ReplaceWith.
auto HandingOut(const QByteArray& bytes) {
  return [&bytes, at = qint64(0)](char* buffer, qint64 room) mutable -> qint64 {
    const qint64 n = std::min(room, bytes.size() - at);
    std::memcpy(buffer, bytes.constData() + at, size_t(n));
    at += n;
    return n;
  };
}

bool Report(QString* error, int code) {
  if (error) *error = SystemErrorText(code);
  return false;
}

#ifndef _WIN32

// The name to write to: an existing file whatever the case of its name, else the name in an
// existing folder whatever the case of the folder's name. Windows finds them itself.
QString ResolveTarget(const QString& target) {
  const QString existing = ResolveExisting(target);
  if (!existing.isEmpty()) return existing;
  const QFileInfo info(target);
  const QString folder = ResolveExisting(info.path());
  return folder.isEmpty() ? target : folder + PathSeparator() + info.fileName();
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Writes what `next` hands out into a temporary file beside `target` and renames it over the
// target. `next` fills a buffer and gives the byte count, 0 at the end, -1 on failure (errno set).
// A new target takes `newMode`; a replaced one keeps its own permissions.
template <typename Source>
bool ReplaceWith(const QString& targetName, Source&& next, QString* error, mode_t newMode = 0644) {
  const QString target = ResolveTarget(targetName);
  const QFileInfo info(target);
  QByteArray tempName = (info.path() + u"/."_s + info.fileName() + u".XXXXXX"_s).toLocal8Bit();
  Fd temp(::mkstemp(tempName.data()));
  if (temp.get() < 0) return Report(error, errno);

  const auto fail = [&](int code) {
    ::unlink(tempName.constData());
    return Report(error, code);
  };

  // The new file keeps the permissions of the one it replaces.
  struct stat old {};
  const QByteArray targetBytes = target.toLocal8Bit();
  const mode_t mode =
      ::stat(targetBytes.constData(), &old) == 0 ? (old.st_mode & 07777) : (newMode & 07777);
  if (::fchmod(temp.get(), mode) != 0) return fail(errno);

  std::vector<char> buffer(kBlock);
  qint64 written = 0;
  for (;;) {
    const qint64 n = next(buffer.data(), kBlock);
    if (n < 0) return fail(errno);
    if (n == 0) break;
    for (qint64 done = 0; done < n;) {
      if (int code = 0; DiskFillsUp(written, n - done, &code)) return fail(code);
      const ssize_t w = ::write(temp.get(), buffer.data() + done, size_t(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      done += w;
      written += w;
    }
  }
  if (::fsync(temp.get()) != 0) return fail(errno);
  if (::close(temp.release()) != 0) return fail(errno);
  if (::rename(tempName.constData(), targetBytes.constData()) != 0) return fail(errno);
  return true;
}

#endif

}  // namespace

FullAtomicWriteDisk::FullAtomicWriteDisk(qint64 bytes, int code) {
  g_failAfter = bytes;
  g_failCode = code;
}

FullAtomicWriteDisk::~FullAtomicWriteDisk() {
  g_failAfter = -1;
}

#ifdef _WIN32

namespace {

bool ReportLast(QString* error) {
  return Report(error, int(GetLastError()));
}

const wchar_t* W(const QString& s) {
  return reinterpret_cast<const wchar_t*>(s.utf16());
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = !valid() || CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// A new file beside `target` that no other file has the name of; its name goes to `name`.
HANDLE CreateTempBeside(const QString& target, QString* name) {
  const QFileInfo info(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const uint tag = QRandomGenerator::global()->generate();
    *name = info.path() + u"/."_s + info.fileName() + u".%1"_s.arg(tag, 8, 16, QChar(u'0'));
    const HANDLE h = CreateFileW(W(*name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

// Writes what `next` hands out into a new file beside `target` and moves it over the target.
// `next` fills a buffer and gives the byte count, 0 at the end, -1 on failure (last error set).
template <typename Source>
bool ReplaceWith(const QString& target, Source&& next, QString* error) {
  QString tempName;
  Handle temp(CreateTempBeside(target, &tempName));
  if (!temp.valid()) return ReportLast(error);
  const auto fail = [&](int code) {
    temp.Close();
    DeleteFileW(W(tempName));
    return Report(error, code);
  };
  std::vector<char> buffer(kBlock);
  qint64 written = 0;
  for (;;) {
    const qint64 n = next(buffer.data(), kBlock);
    if (n < 0) return fail(int(GetLastError()));
    if (n == 0) break;
    if (int code = 0; DiskFillsUp(written, n, &code)) return fail(code);
    DWORD done = 0;
    if (!WriteFile(temp.get(), buffer.data(), DWORD(n), &done, nullptr)) {
      return fail(int(GetLastError()));
    }
    if (done != DWORD(n)) return fail(ERROR_DISK_FULL);
    written += n;
  }
  if (!FlushFileBuffers(temp.get()) || !temp.Close()) return fail(int(GetLastError()));
  if (!MoveFileExW(W(tempName), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(int(GetLastError()));
  }
  return true;
}

// Hands out the bytes of an open file, for ReplaceWith.
auto ReadingFrom(const Handle& in) {
  return [&in](char* buffer, qint64 room) -> qint64 {
    DWORD got = 0;
    if (!ReadFile(in.get(), buffer, DWORD(room), &got, nullptr)) return -1;
    return got;
  };
}

HANDLE OpenToRead(const QString& path) {
  return CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  return ReplaceWith(path, HandingOut(bytes), error);
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error) {
  const Handle in(OpenToRead(path));
  if (!in.valid()) return ReportLast(error);
  QByteArray read;
  std::vector<char> buffer(kBlock);
  const auto next = ReadingFrom(in);
  for (;;) {
    const qint64 n = next(buffer.data(), kBlock);
    if (n < 0) return ReportLast(error);
    if (n == 0) break;
    read.append(buffer.data(), n);
  }
  bytes = read;
  return true;
}

// The file that `path` ends up at once its links are followed; empty when it can't be opened.
QString FinalPath(const QString& path) {
  const Handle h(CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return {};
  std::vector<wchar_t> name(32768);
  const DWORD length =
      GetFinalPathNameByHandleW(h.get(), name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED);
  if (length == 0 || length >= name.size()) return {};
  QString found = QString::fromWCharArray(name.data(), int(length));
  // Given with the prefix of long paths, which the plain names do without.
  if (found.startsWith(u"\\\\?\\UNC\\"_s)) return u"\\\\"_s + found.mid(8);
  if (found.startsWith(u"\\\\?\\"_s)) return found.mid(4);
  return found;
}

// Writes `bytes` into the existing file itself, cutting off what lies beyond them, and flushes.
bool WriteInPlace(const QString& target, const QByteArray& bytes, QString* error) {
  const Handle h(CreateFileW(W(target), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return ReportLast(error);
  DWORD done = 0;
  const bool ok = WriteFile(h.get(), bytes.constData(), DWORD(bytes.size()), &done, nullptr) &&
                  done == DWORD(bytes.size()) && SetEndOfFile(h.get()) && FlushFileBuffers(h.get());
  return ok || ReportLast(error);
}

bool WriteThroughLinks(const QString& path, const QByteArray& bytes, QString* error) {
  const QString target = FinalPath(path);
  if (target.isEmpty()) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return WriteFileAtomically(path, bytes, error);
    return ReportLast(error);
  }
  // Atomically beside the file where its folder may be written; in place where only the file
  // may be.
  QString probe;
  Handle beside(CreateTempBeside(target, &probe));
  if (!beside.valid()) {
    if (GetLastError() == ERROR_ACCESS_DENIED) return WriteInPlace(target, bytes, error);
    return ReportLast(error);
  }
  beside.Close();
  DeleteFileW(W(probe));
  return WriteFileAtomically(target, bytes, error);
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
  const Handle in(OpenToRead(source));
  if (!in.valid()) return ReportLast(error);
  return ReplaceWith(target, ReadingFrom(in), error);
}

#else

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  return ReplaceWith(path, HandingOut(bytes), error);
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
  const QString found = ResolveExisting(source);
  Fd in(found.isEmpty() ? -1 : ::open(found.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Report(error, found.isEmpty() ? ENOENT : errno);
  struct stat from {};
  if (::fstat(in.get(), &from) != 0) return Report(error, errno);
  return ReplaceWith(
      target,
      [&](char* buffer, qint64 room) -> qint64 {
        for (;;) {
          const ssize_t n = ::read(in.get(), buffer, size_t(room));
          if (n < 0 && errno == EINTR) continue;
          return n;
        }
      },
      error, from.st_mode);
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error) {
  const QString found = ResolveExisting(path);
  Fd in(found.isEmpty() ? -1 : ::open(found.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Report(error, found.isEmpty() ? ENOENT : errno);
  QByteArray read;
  std::vector<char> buffer(kBlock);
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Report(error, errno);
    if (n == 0) break;
    read.append(buffer.data(), n);
  }
  bytes = read;
  return true;
}

namespace {

// Writes `bytes` into the existing file itself, cutting off what lies beyond them, and flushes.
bool WriteInPlace(const QByteArray& target, const QByteArray& bytes, QString* error) {
  Fd out(::open(target.constData(), O_WRONLY | O_CLOEXEC));
  if (out.get() < 0) return Report(error, errno);
  for (qint64 done = 0; done < bytes.size();) {
    const ssize_t w = ::write(out.get(), bytes.constData() + done, size_t(bytes.size() - done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return Report(error, w < 0 ? errno : EIO);
    done += w;
  }
  if (::ftruncate(out.get(), off_t(bytes.size())) != 0) return Report(error, errno);
  if (::fsync(out.get()) != 0) return Report(error, errno);
  if (::close(out.release()) != 0) return Report(error, errno);
  return true;
}

}  // namespace

bool WriteThroughLinks(const QString& path, const QByteArray& bytes, QString* error) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) return WriteFileAtomically(path, bytes, error);
  // The file a link points to, through every link on the way; the links themselves stay.
  const QString target = QFileInfo(found).canonicalFilePath();
  if (target.isEmpty()) return Report(error, ENOENT);
  const QByteArray folder = QFileInfo(target).path().toLocal8Bit();
  if (::access(folder.constData(), W_OK) == 0) return WriteFileAtomically(target, bytes, error);
  return WriteInPlace(target.toLocal8Bit(), bytes, error);
}

#endif
