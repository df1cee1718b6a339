#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// What each platform does its own way for the whole-file functions.
namespace WholeFile {

// An existing file open for reading, its name matched without regard to case.
class Reader {
 public:
  explicit Reader(const QString& path);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool IsOpen() const { return file_ != -1; }
  // The system's error code: why the file is not open, or why the last read failed.
  int Error() const { return error_; }
  // The file's permissions, where files have them.
  unsigned Mode() const { return mode_; }
  // Up to `room` bytes into `buffer`: the count, 0 at the end, -1 on failure.
  std::int64_t Read(char* buffer, std::int64_t room);

 private:
  std::intptr_t file_ = -1;  // a descriptor, or a HANDLE on Windows
  int error_ = 0;
  unsigned mode_ = 0644;
};

// The file `path` names once every link on the way is followed (the name matched without
// regard to case). Empty when there is none: `error` then gets 0 when nothing has the name,
// else the system's error code.
QString FileBehindLinks(const QString& path, int* error);

// True when `code` says the folder refuses new files, where a file in it may still be written.
bool RefusesNewFiles(int code);

// Writes `bytes` into the existing file itself, cutting off what lies beyond them, and flushes.
// 0, or the system's error code.
int WriteInPlace(const QString& target, const QByteArray& bytes);

}  // namespace WholeFile
