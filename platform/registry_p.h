#pragma once

#include "registry.h"

#include <QString>

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

// The registry the program uses when nobody installed another: the system's on Windows, the
// settings files elsewhere.
std::unique_ptr<Registry> MakeOwnRegistry();

}  // namespace RegistryParts
