#include "originalrecords.h"

#include "paths.h"
#include "templatestore.h"

#include <QFile>

std::optional<UnitRecords> ReadOriginalRecords(const QString& file) {
  if (file.isEmpty() || !TemplatesFileProblem(file).isEmpty()) return std::nullopt;
  QFile in(ResolveExisting(file));
  if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = in.read(TemplatesTableSize());
  if (bytes.size() < TemplatesTableSize()) return std::nullopt;
  UnitRecords records;
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    TUnitTemplate& record = records[size_t(position)];
    record.Index = unit.index;
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.constData() +
                                                            UnitOffset(unit.kind, unit.index));
    std::copy(raw, raw + RecordSize, record.RawBytes.begin());
    DecodeRecord(record, record.RawBytes.data());
  }
  return records;
}
