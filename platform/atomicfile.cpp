#include "atomicfile.h"

#include "paths.h"

#include <QFileInfo>

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

bool Report(QString* error, int code) {
  if (error) *error = SystemErrorText(code);
  return false;
}

// Writes what `next` hands out into a temporary file beside `target` and renames it over the
// target. `next` fills a buffer and gives the byte count, 0 at the end, -1 on failure (errno set).
template <typename Source>
bool ReplaceWith(const QString& targetName, Source&& next, QString* error) {
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
  const mode_t mode = ::stat(targetBytes.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  if (::fchmod(temp.get(), mode) != 0) return fail(errno);

  std::vector<char> buffer(kBlock);
  qint64 written = 0;
  for (;;) {
    const qint64 n = next(buffer.data(), kBlock);
    if (n < 0) return fail(errno);
    if (n == 0) break;
    for (qint64 done = 0; done < n;) {
      if (g_failAfter >= 0 && written + (n - done) > g_failAfter) {
        g_failAfter = -1;
        return fail(g_failCode);
      }
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

void FailNextAtomicWriteForTesting(qint64 bytes, int code) {
  g_failAfter = bytes;
  g_failCode = code;
}

#ifdef _WIN32

namespace {
bool ReportLast(QString* error) {
  if (error) *error = SystemErrorText(int(GetLastError()));
  return false;
}
const wchar_t* W(const QString& s) {
  return reinterpret_cast<const wchar_t*>(s.utf16());
}
}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  const QString temp = path + u".new"_s;
  HANDLE h = CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return ReportLast(error);
  DWORD done = 0;
  const bool ok = WriteFile(h, bytes.constData(), DWORD(bytes.size()), &done, nullptr) &&
                  done == DWORD(bytes.size()) && FlushFileBuffers(h);
  CloseHandle(h);
  if (!ok || !MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const bool result = ReportLast(error);
    DeleteFileW(W(temp));
    return result;
  }
  return true;
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
  const QString temp = target + u".new"_s;
  if (!CopyFileW(W(source), W(temp), FALSE)) return ReportLast(error);
  if (!MoveFileExW(W(temp), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const bool result = ReportLast(error);
    DeleteFileW(W(temp));
    return result;
  }
  return true;
}

#else

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  qint64 at = 0;
  return ReplaceWith(
      path,
      [&](char* buffer, qint64 room) -> qint64 {
        const qint64 n = std::min(room, bytes.size() - at);
        std::memcpy(buffer, bytes.constData() + at, size_t(n));
        at += n;
        return n;
      },
      error);
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
  const QString found = ResolveExisting(source);
  Fd in(found.isEmpty() ? -1 : ::open(found.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Report(error, found.isEmpty() ? ENOENT : errno);
  return ReplaceWith(
      target,
      [&](char* buffer, qint64 room) -> qint64 {
        for (;;) {
          const ssize_t n = ::read(in.get(), buffer, size_t(room));
          if (n < 0 && errno == EINTR) continue;
          return n;
        }
      },
      error);
}

#endif
