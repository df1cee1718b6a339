#include "registry_p.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegistryParts {

FileStamp FileStamp::Of(const QString& path) {
  FileStamp stamp;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(st.st_mode);
  stamp.size = st.st_size;
  stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.inode = st.st_ino;
  return stamp;
}

FolderLock::FolderLock(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  handle_ = fd;
  // flock, as the game file's lock: it belongs to this descriptor alone, so two accessors in
  // one process keep each other out as two programs do.
  outcome_ = LockWithin([this, fd] {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno == EWOULDBLOCK) return LockOutcome::Busy;
      error_ = errno;
      return LockOutcome::Failed;
    }
    return LockOutcome::Locked;
  });
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(int(handle_));  // releases the lock
}

std::unique_ptr<Registry> MakeOwnRegistry() {
  return MakeFileRegistry(RegistryFolder());
}

}  // namespace RegistryParts
