#include "gamefile.h"

#include "paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace {

#ifdef _WIN32

class WinFile final : public FileHandle {
 public:
  explicit WinFile(HANDLE h) : handle_(h) {}
  ~WinFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Seek(std::int64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
  }
  std::int64_t Read(void* buffer, std::int64_t count) override {
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return done;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    DWORD done = 0;
    if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return done == count ? done : -1;
  }
  bool Flush() override { return FlushFileBuffers(handle_) != 0; }
  LockOutcome Lock() override {
    return LockWithin([this] {
      OVERLAPPED at{};
      if (LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                     MAXDWORD, &at))
        return LockOutcome::Locked;
      return GetLastError() == ERROR_LOCK_VIOLATION ? LockOutcome::Busy : LockOutcome::Failed;
    });
  }
  bool Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    if (!CloseHandle(handle_)) return false;
    handle_ = INVALID_HANDLE_VALUE;
    return true;
  }

 private:
  HANDLE handle_;
};

#else

class PosixFile final : public FileHandle {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Seek(std::int64_t position) override {
    return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0;
  }
  std::int64_t Read(void* buffer, std::int64_t count) override {
    auto* out = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
      const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) break;
      done += n;
    }
    return done;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    const auto* in = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd_, in + done, static_cast<size_t>(count - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) return -1;
      done += n;
    }
    return done;
  }
  bool Flush() override { return ::fsync(fd_) == 0; }
  LockOutcome Lock() override {
    // flock, not fcntl: an fcntl lock would vanish when any other descriptor of the file in this
    // process is closed.
    return LockWithin([this] {
      while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return errno == EWOULDBLOCK ? LockOutcome::Busy : LockOutcome::Failed;
      }
      return LockOutcome::Locked;
    });
  }
  bool Close() override {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close() fails, so it is never retried.
    return ::close(fd) == 0 || errno == EINTR;
  }

 private:
  int fd_;
};

#endif

}  // namespace

std::unique_ptr<FileHandle> OpenExistingFile(const QString& path, FileAccess access) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) {
#ifndef _WIN32
    errno = ENOENT;
#endif
    return nullptr;
  }
#ifdef _WIN32
  const DWORD desired = access == FileAccess::Read    ? GENERIC_READ
                        : access == FileAccess::Write ? GENERIC_WRITE
                                                      : GENERIC_READ | GENERIC_WRITE;
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(found.utf16()), desired,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return std::make_unique<WinFile>(h);
#else
  const int mode = access == FileAccess::Read    ? O_RDONLY
                   : access == FileAccess::Write ? O_WRONLY
                                                 : O_RDWR;
  // Non-blocking, so that a pipe in the file's place can't hang the open; a regular file
  // ignores the flag.
  const int fd = ::open(found.toLocal8Bit().constData(), mode | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::make_unique<PosixFile>(fd);
#endif
}
