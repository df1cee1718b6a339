#include "stagedfile.h"

#include <QFile>

#include <cerrno>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Bytes(const QString& name) {
  return QFile::encodeName(name);
}

}  // namespace

const int StagedFile::kFolderInTheWay = EISDIR;

StagedFile::Opened StagedFile::Stage(EntryKind kind) {
  const int folder = destination_.Folder();
  const QByteArray name = Bytes(destination_.Name());
  // A file the user may not write stays, as it would if it were written in place.
  if (takes_ == Takes::WritableFileOnly && kind == EntryKind::File &&
      ::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0) {
    Fail(errno);
    return Opened::Failed;
  }

  // A replaced file's permissions stay (through a link, those of the file it names); set-user
  // and set-group bits are not carried over to new content.
  struct stat present {};
  const bool keepMode =
      kind != EntryKind::Absent && ::fstatat(folder, name.constData(), &present, 0) == 0;
  if (keepMode) {
    mode_ = present.st_mode & 0777;
  } else if (newMode_) {
    mode_ = *newMode_ & 0777;
  }
  // Until its permissions are set, the new file is the user's alone; with none given it takes
  // what the umask leaves.
  const mode_t startMode = keepMode || newMode_ ? 0600 : 0666;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary_ = TemporaryName(destination_.Name());
    fd = ::openat(folder, Bytes(temporary_).constData(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, startMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    temporary_.clear();
    Fail(errno);
    return Opened::Failed;
  }
  file_ = fd;
  struct stat made {};
  if (!keepMode && !newMode_ && ::fstat(fd, &made) == 0) mode_ = made.st_mode & 0777;
  if (::fchmod(fd, mode_) != 0) {
    Fail(errno);
    Discard();
    return Opened::Failed;
  }

  if (keepContent_ && replaces_) {
    // Not blocking: a pipe put in the file's place meanwhile gives no data instead of a hang.
    const int old =
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    bool copied = old >= 0 || Fail(errno);
    std::vector<char> block(64 * 1024);
    while (copied) {
      const ssize_t n = ::read(old, block.data(), block.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        copied = n == 0 || Fail(errno);
        break;
      }
      copied = Write(block.data(), n);
    }
    if (old >= 0) ::close(old);
    if (!copied) {
      Discard();
      return Opened::Failed;
    }
  }
  return Opened::Ready;
}

std::int64_t StagedFile::WriteSome(const char* data, std::int64_t size) {
  for (;;) {
    const ssize_t n = ::write(int(file_), data, static_cast<std::size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n > 0) return n;
    Fail(n < 0 ? errno : EIO);
    return -1;
  }
}

bool StagedFile::Flush() {
  mode_t mode = mode_;
  if (runnable_) {
    // Programs need the permission to run, which the install medium cannot pass on.
    mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
  }
  if (::fchmod(int(file_), mode) != 0 || ::fdatasync(int(file_)) != 0) return Fail(errno);
  return true;
}

bool StagedFile::CloseTemporary() {
  if (::close(int(std::exchange(file_, -1))) != 0) return Fail(errno);
  return true;
}

bool StagedFile::PutInPlace() {
  const int folder = destination_.Folder();
  if (::renameat(folder, Bytes(temporary_).constData(), folder,
                 Bytes(destination_.Name()).constData()) != 0)
    return Fail(errno);
  temporary_.clear();
  return true;
}

void StagedFile::Discard() {
  if (IsOpen()) ::close(int(std::exchange(file_, -1)));
  if (temporary_.isEmpty()) return;
  ::unlinkat(destination_.Folder(), Bytes(temporary_).constData(), 0);
  temporary_.clear();
}
