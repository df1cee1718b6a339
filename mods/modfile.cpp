#include "modfile.h"

#include "templatestore.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

std::optional<ModFile> ReadModFile(const QString& path, QString& problem) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    problem = u"Can't read %1: %2"_s.arg(
        path, QFileInfo(path).isFile() ? file.errorString() : u"not a regular file"_s);
    return std::nullopt;
  }
  // A stray huge file is refused with its real size, before it is read whole.
  if (file.size() > kMaxModTextSize) {
    problem = u"%1: %2"_s.arg(path, TooLargeForModText(file.size()));
    return std::nullopt;
  }
  QString error;
  auto mod = ParseModText(file.read(kMaxModTextSize + 1), error);
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
