#include "stagedfile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#include <windows.h>

namespace {

const wchar_t* W(const QString& s) {
  return reinterpret_cast<const wchar_t*>(s.utf16());
}

HANDLE AsHandle(std::intptr_t file) {
  return reinterpret_cast<HANDLE>(file);
}

// Creates the file `path`, which must not exist: empty, or as a copy of `copyOf`. The handle
// writes at its end; INVALID_HANDLE_VALUE on failure, with the last error set.
HANDLE CreateNew(const QString& path, const QString& copyOf) {
  if (copyOf.isEmpty()) {
    return CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
  if (!CopyFileW(W(copyOf), W(path), TRUE)) return INVALID_HANDLE_VALUE;
  const HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER end{};
  if (h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, end, nullptr, FILE_END)) return h;
  const DWORD error = GetLastError();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  DeleteFileW(W(path));
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

const int StagedFile::kFolderInTheWay = ERROR_ACCESS_DENIED;

StagedFile::Opened StagedFile::Stage(EntryKind) {
  const QString folder = QFileInfo(destination_.Path()).path();
  const QString copyOf = keepContent_ && replaces_ ? destination_.Path() : QString();
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temporary_ = QDir::toNativeSeparators(folder + u'/' + TemporaryName(destination_.Name()));
    h = CreateNew(temporary_, copyOf);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    temporary_.clear();
    Fail(int(GetLastError()));
    return Opened::Failed;
  }
  file_ = reinterpret_cast<std::intptr_t>(h);
  LARGE_INTEGER size{};
  size_ = GetFileSizeEx(h, &size) ? size.QuadPart : 0;
  return Opened::Ready;
}

std::int64_t StagedFile::WriteSome(const char* data, std::int64_t size) {
  const DWORD chunk = DWORD(std::min<std::int64_t>(size, 1 << 30));
  DWORD done = 0;
  if (!WriteFile(AsHandle(file_), data, chunk, &done, nullptr)) {
    Fail(int(GetLastError()));
    return -1;
  }
  if (done == 0) {
    Fail(ERROR_DISK_FULL);
    return -1;
  }
  return done;
}

bool StagedFile::Flush() {
  // Windows files carry no permission to run; the mode is for other systems.
  return FlushFileBuffers(AsHandle(file_)) || Fail(int(GetLastError()));
}

bool StagedFile::CloseTemporary() {
  return CloseHandle(AsHandle(std::exchange(file_, -1))) || Fail(int(GetLastError()));
}

bool StagedFile::PutInPlace() {
  if (!MoveFileExW(W(temporary_), W(destination_.Path()),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Fail(int(GetLastError()));
  temporary_.clear();
  return true;
}

void StagedFile::Discard() {
  if (IsOpen()) CloseHandle(AsHandle(std::exchange(file_, -1)));
  if (temporary_.isEmpty()) return;
  DeleteFileW(W(temporary_));
  temporary_.clear();
}
