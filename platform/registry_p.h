#pragma once

#include "lockwait.h"
#include "registry.h"

#include <QString>

#include <cstdint>

// What the registry's portable half shares with each platform's half.
namespace RegistryParts {

QString RootName(RegRoot root);
// The key's path with its root's name in front, as registry files write it.
QString FullPath(RegRoot root, const QString& key);
// Where a 32-bit program's machine key lives in a 64-bit registry.
QString Wow64(const QString& key);

// What tells that a file changed on disk: a rename over it gives another inode, a write in
// place another size or time.
struct FileStamp {
  bool exists = false;
  bool regular = false;
  qint64 size = 0;
  qint64 modified = 0;  // nanoseconds where the platform tells them
  quint64 inode = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;

  static FileStamp Of(const QString& path);
};

// The lock every copy of the editor takes on the folder of its settings file before it reads the
// file to change it, held for as long as this lives. The folder is locked rather than the file,
// which each save replaces and which may not exist yet.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  LockOutcome Outcome() const { return outcome_; }
  // The system's error code when the outcome is Failed.
  int Error() const { return error_; }

 private:
  std::intptr_t handle_ = -1;  // the folder's descriptor, or a mutex's HANDLE on Windows
  LockOutcome outcome_ = LockOutcome::Failed;
  int error_ = 0;
};

// The registry the program uses when nobody installed another: the system's on Windows, the
// settings files elsewhere.
std::unique_ptr<Registry> MakeOwnRegistry();

}  // namespace RegistryParts
