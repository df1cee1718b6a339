#include "modfile.h"

#include "templatestore.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Larger than any unit text file we accept, so the parser can say the file is too large.
constexpr qint64 kTextReadLimit = 4 * 1024 * 1024 + 1;

}  // namespace

std::optional<ModFile> ReadModFile(const QString& path, QString& problem) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    problem = u"Can't read %1: %2"_s.arg(
        path, QFileInfo(path).isFile() ? file.errorString() : u"not a regular file"_s);
    return std::nullopt;
  }
  QString error;
  auto mod = ParseModText(file.read(kTextReadLimit), error);
  if (!mod) problem = u"%1: %2"_s.arg(path, error);
  return mod;
}

UnitRecords StoreRecords(const TDune2kFile& store) {
  UnitRecords records;
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    store.GetUnit(unit.kind, unit.index, records[position]);
  }
  return records;
}
