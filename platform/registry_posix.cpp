#include "registry_p.h"

#include <QFile>

#include <sys/stat.h>

namespace RegistryParts {

FileStamp FileStamp::Of(const QString& path) {
  FileStamp stamp;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(st.st_mode);
  stamp.size = st.st_size;
  stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.inode = st.st_ino;
  return stamp;
}

std::unique_ptr<Registry> MakeOwnRegistry() {
  return MakeFileRegistry(RegistryFolder());
}

}  // namespace RegistryParts
