#pragma once

#include "lockwait.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The file layer for the game's files. A game file is only ever opened when it exists already,
// and is never created or truncated; other programs (the game itself) may read and write it at
// the same time. Only regular files are opened: a pipe or a device would block or lie.

// ReadWrite serves the write-back, which reads each record again just before writing it.
enum class FileAccess { Read, Write, ReadWrite };

class FileHandle {
 public:
  virtual ~FileHandle() = default;
  virtual bool Seek(std::int64_t position) = 0;
  // Bytes read (fewer at the end of the file), or -1 when the read call fails.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Bytes written, or -1 when the write call fails. A short write counts as a failure.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Makes what was written durable on the disk.
  virtual bool Flush() = 0;
  // Gives false, and stays open, when the system refuses to close.
  virtual bool Close() = 0;
  // Takes the system's advisory lock on the whole file, shared by every program that asks for it
  // (not only by this one), waiting kLockPatience at most. Released by Close.
  virtual LockOutcome Lock() = 0;
};

// Opens an existing file with the rules above; the name is matched without regard to case.
// Gives null when the file is missing, is no regular file, or access is refused (errno / last
// error tells why).
std::unique_ptr<FileHandle> OpenExistingFile(const QString& path, FileAccess access);

// The opener used by the template store; tests replace it to make reads and writes fail.
using FileOpener = std::function<std::unique_ptr<FileHandle>(const QString&, FileAccess)>;
