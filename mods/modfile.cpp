#include "modfile.h"

#include "paths.h"
#include "templatestore.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

std::optional<ModFile> ReadModFile(const QString& path, QString& problem) {
  QFile file(path);
  const QFileInfo info(path);
  if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
    // A name with nothing behind it is told as missing, not as some other kind of file.
    const QString why = !info.exists()   ? SystemErrorText(kErrorNoSuchFile)
                        : info.isFile() ? file.errorString()
                                        : u"not a regular file"_s;
    problem = u"Can't read %1: %2"_s.arg(path, why);
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
