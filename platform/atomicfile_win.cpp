#include "atomicfile_p.h"

#include <vector>

#include <windows.h>

using namespace Qt::Literals::StringLiterals;

namespace WholeFile {

namespace {

const wchar_t* W(const QString& s) {
  return reinterpret_cast<const wchar_t*>(s.utf16());
}

HANDLE AsHandle(std::intptr_t file) {
  return reinterpret_cast<HANDLE>(file);
}

}  // namespace

Reader::Reader(const QString& path) {
  const HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) error_ = int(GetLastError());
  file_ = reinterpret_cast<std::intptr_t>(h);
}

Reader::~Reader() {
  if (IsOpen()) CloseHandle(AsHandle(file_));
}

std::int64_t Reader::Read(char* buffer, std::int64_t room) {
  DWORD got = 0;
  if (!ReadFile(AsHandle(file_), buffer, DWORD(room), &got, nullptr)) {
    error_ = int(GetLastError());
    return -1;
  }
  return got;
}

QString FileBehindLinks(const QString& path, int* error) {
  *error = 0;
  const HANDLE h = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) *error = int(GetLastError());
    return {};
  }
  std::vector<wchar_t> name(32768);
  const DWORD length =
      GetFinalPathNameByHandleW(h, name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED);
  const DWORD failure = GetLastError();
  CloseHandle(h);
  if (length == 0 || length >= name.size()) {
    *error = length == 0 ? int(failure) : ERROR_FILENAME_EXCED_RANGE;
    return {};
  }
  QString found = QString::fromWCharArray(name.data(), int(length));
  // Given with the prefix of long paths, which the plain names do without.
  if (found.startsWith(u"\\\\?\\UNC\\"_s)) return u"\\\\"_s + found.mid(8);
  if (found.startsWith(u"\\\\?\\"_s)) return found.mid(4);
  return found;
}

bool RefusesNewFiles(int code) {
  return code == ERROR_ACCESS_DENIED;
}

int WriteInPlace(const QString& target, const QByteArray& bytes) {
  const HANDLE h = CreateFileW(W(target), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return int(GetLastError());
  DWORD done = 0;
  const bool ok = WriteFile(h, bytes.constData(), DWORD(bytes.size()), &done, nullptr) &&
                  done == DWORD(bytes.size()) && SetEndOfFile(h) && FlushFileBuffers(h);
  const int failure = ok ? 0 : int(GetLastError());
  CloseHandle(h);
  return failure;
}

}  // namespace WholeFile
