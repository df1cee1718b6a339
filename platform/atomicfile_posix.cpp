#include "atomicfile_p.h"

#include "paths.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WholeFile {

Reader::Reader(const QString& path) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) {
    error_ = ENOENT;
    return;
  }
  const int fd = ::open(QFile::encodeName(found).constData(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    error_ = errno;
    if (fd >= 0) ::close(fd);
    return;
  }
  file_ = fd;
  mode_ = st.st_mode & 0777;
}

Reader::~Reader() {
  if (IsOpen()) ::close(int(file_));
}

std::int64_t Reader::Read(char* buffer, std::int64_t room) {
  for (;;) {
    const ssize_t n = ::read(int(file_), buffer, static_cast<std::size_t>(room));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error_ = errno;
    return n;
  }
}

QString FileBehindLinks(const QString& path, int* error) {
  *error = 0;
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) return {};
  // The file a link points to, through every link on the way; the links themselves stay.
  const QString target = QFileInfo(found).canonicalFilePath();
  if (target.isEmpty()) *error = ENOENT;
  return target;
}

bool RefusesNewFiles(int code) {
  return code == EACCES || code == EPERM;
}

int WriteInPlace(const QString& target, const QByteArray& bytes) {
  const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int failure = 0;
  for (qint64 done = 0; done < bytes.size();) {
    const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      failure = w < 0 ? errno : EIO;
      break;
    }
    done += w;
  }
  if (failure == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0) failure = errno;
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  return failure;
}

}  // namespace WholeFile
