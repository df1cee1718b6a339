#include "safefs.h"

#include "paths.h"
#include "safefs_p.h"

#include <utility>

namespace SafeFs {

QString InFolder(const QString& folder, const QString& name) {
  return folder.endsWith(PathSeparator()) ? folder + name : folder + PathSeparator() + name;
}

QString Below(const QString& path, const QString& folder) {
  return path.mid(InFolder(folder, QString()).size());
}

QString AnchorOf(const QString& path, const QStringList& trusted) {
  QString best;
  for (const QString& folder : trusted) {
    if (folder.isEmpty() || folder.size() <= best.size()) continue;
    if (path == folder || path.startsWith(InFolder(folder, QString()))) best = folder;
  }
  return best;
}

}  // namespace SafeFs

Place::Place(Place&& other) noexcept {
  *this = std::move(other);
}

Place& Place::operator=(Place&& other) noexcept {
  if (this == &other) return *this;
  Release();
  folder_ = std::exchange(other.folder_, -1);
  reached_ = std::exchange(other.reached_, false);
  trusted_ = other.trusted_;
  failure_ = other.failure_;
  name_ = std::move(other.name_);
  path_ = std::move(other.path_);
  return *this;
}

Place::~Place() {
  Release();
}
