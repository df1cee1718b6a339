#include "atomicfile.h"

#include "atomicfile_p.h"
#include "paths.h"
#include "stagedfile.h"

#include <vector>

using namespace WholeFile;

namespace {

constexpr std::int64_t kBlock = 64 * 1024;

bool Report(QString* error, int code) {
  if (error) *error = SystemErrorText(code);
  return false;
}

// The files written here are the program's own: whatever stands in their place gives way.
constexpr auto kOwnFile = StagedFile::Takes::FileOrLink;

bool Finish(StagedFile& file, const QByteArray& bytes, QString* error) {
  const bool done = file.Open() == StagedFile::Opened::Ready &&
                    file.Write(bytes.constData(), bytes.size()) && file.Commit();
  return done || Report(error, file.Error());
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  StagedFile file(Reach(path), kOwnFile);
  file.SetNewMode(0644);
  return Finish(file, bytes, error);
}

bool CopyFileReplacing(const QString& source, const QString& target, QString* error) {
  Reader in(source);
  if (!in.IsOpen()) return Report(error, in.Error());
  StagedFile out(Reach(target), kOwnFile);
  out.SetNewMode(in.Mode());
  if (out.Open() != StagedFile::Opened::Ready) return Report(error, out.Error());
  std::vector<char> buffer(kBlock);
  for (;;) {
    const std::int64_t n = in.Read(buffer.data(), kBlock);
    if (n < 0) return Report(error, in.Error());
    if (n == 0) break;
    if (!out.Write(buffer.data(), n)) return Report(error, out.Error());
  }
  return out.Commit() || Report(error, out.Error());
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error) {
  Reader in(path);
  if (!in.IsOpen()) return Report(error, in.Error());
  QByteArray read;
  std::vector<char> buffer(kBlock);
  for (;;) {
    const std::int64_t n = in.Read(buffer.data(), kBlock);
    if (n < 0) return Report(error, in.Error());
    if (n == 0) break;
    read.append(buffer.data(), n);
  }
  bytes = read;
  return true;
}

bool WriteThroughLinks(const QString& path, const QByteArray& bytes, QString* error) {
  int code = 0;
  const QString target = FileBehindLinks(path, &code);
  if (target.isEmpty())
    return code == 0 ? WriteFileAtomically(path, bytes, error) : Report(error, code);
  // Atomically beside the file where its folder may be written; in place where only the file
  // may be.
  StagedFile file(Reach(target), kOwnFile);
  if (file.Open() == StagedFile::Opened::Ready) return Finish(file, bytes, error);
  if (!RefusesNewFiles(file.Error())) return Report(error, file.Error());
  code = WriteInPlace(target, bytes);
  return code == 0 || Report(error, code);
}
