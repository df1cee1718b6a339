#include "stagedfile.h"

#include "paths.h"

#include <QRandomGenerator>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Fault {
  std::int64_t bytes = -1;  // a full disk: the size a file may reach; -1 for none
  bool atFlush = false;
  int code = 0;
};

Fault g_fault;

// The stand-in for a full disk: true, with its code, when writing `more` bytes to a file that
// holds `size` would pass the point where the disk fills up. It fails one write only.
bool DiskFillsUp(std::int64_t size, std::int64_t more, int* code) {
  if (g_fault.bytes < 0 || size + more <= g_fault.bytes) return false;
  *code = std::exchange(g_fault, {}).code;
  return true;
}

// The stand-in for a failing flush, met once.
bool FlushFails(int* code) {
  if (!g_fault.atFlush) return false;
  *code = std::exchange(g_fault, {}).code;
  return true;
}

}  // namespace

DiskFault::DiskFault(std::int64_t bytes, bool atFlush, int code) {
  g_fault = {bytes, atFlush, code};
}

DiskFault DiskFault::FullAfter(std::int64_t bytes, int code) {
  return DiskFault(bytes, false, code);
}

DiskFault DiskFault::FlushFails(int code) {
  return DiskFault(-1, true, code);
}

DiskFault::~DiskFault() {
  g_fault = {};
}

StagedFile::StagedFile(Place destination, Takes takes, bool keepContent)
    : destination_(std::move(destination)), takes_(takes), keepContent_(keepContent) {}

StagedFile::~StagedFile() {
  Discard();
}

QString StagedFile::TemporaryName(const QString& name) {
  return u"."_s + name + u"."_s + QString::number(QRandomGenerator::global()->generate(), 36);
}

bool StagedFile::Fail(int code) {
  error_ = code;
  return false;
}

StagedFile::Opened StagedFile::Open() {
  if (IsOpen()) return Opened::Ready;
  if (!destination_.Reached() || destination_.Name().isEmpty()) {
    Fail(destination_.Failure() != 0 ? destination_.Failure() : kErrorNoSuchFolder);
    return Opened::Failed;
  }
  FileIdentity identity;
  const EntryKind kind = destination_.Kind(&identity);
  if (kind == EntryKind::Folder) {
    Fail(kFolderInTheWay);
    return Opened::Failed;
  }
  if (takes_ == Takes::WritableFileOnly && kind != EntryKind::File && kind != EntryKind::Absent)
    return Opened::NotAFile;
  if (kind == EntryKind::File) replaces_ = identity;
  return Stage(kind);
}

bool StagedFile::Write(const char* data, std::int64_t size) {
  if (!IsOpen()) return false;
  for (std::int64_t done = 0; done < size;) {
    if (int code = 0; DiskFillsUp(size_, size - done, &code)) return Fail(code);
    const std::int64_t n = WriteSome(data + done, size - done);
    if (n < 0) return false;
    done += n;
    size_ += n;
  }
  return true;
}

bool StagedFile::Commit() {
  if (!IsOpen()) return false;
  int code = 0;
  const bool flushed = FlushFails(&code) ? Fail(code) : Flush();
  if (flushed && CloseTemporary() && PutInPlace()) return true;
  Discard();
  return false;
}
