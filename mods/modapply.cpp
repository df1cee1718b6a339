#include "modapply.h"

#include "unitfields.h"

#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

using RawRecord = std::array<std::uint8_t, RecordSize>;

bool SameValue(const TUnitTemplate& record, const QString& field, const QString& value) {
  return UnitFields::Text(record, field).compare(value.trimmed(), Qt::CaseInsensitive) == 0;
}

// `start`'s bytes with only those that `edited`'s fields encode differently: a byte that the
// encoding would merely tidy (byte 37 = 2 becoming 1) stays as it is unless its field changed.
RawRecord FieldBytes(const TUnitTemplate& start, const TUnitTemplate& edited) {
  TUnitTemplate before = start;
  TUnitTemplate after = edited;
  after.RawBytes = start.RawBytes;
  EncodeRecord(before);
  EncodeRecord(after);
  RawRecord bytes = start.RawBytes;
  for (int at = 0; at < RecordSize; ++at) {
    if (before.RawBytes[at] != after.RawBytes[at]) bytes[at] = after.RawBytes[at];
  }
  return bytes;
}

std::optional<RawRecord> UnitBytes(const TUnitTemplate& game, const ModUnit& mod,
                                   QStringList& errors) {
  const TUnitTemplate start = mod.raw ? RecordFromBytes(mod.unit, *mod.raw) : game;
  TUnitTemplate edited = start;
  bool refused = false;
  for (const auto& [field, value] : mod.fields) {
    if (SameValue(start, field, value)) continue;
    if (const auto error = UnitFields::Set(edited, mod.unit.kind, field, value)) {
      errors << u"%1: %2"_s.arg(mod.where, *error);
      refused = true;
    }
  }
  if (refused) return std::nullopt;
  return FieldBytes(start, edited);
}

// One file record as the mod leaves it, and which unit set each of its bytes.
struct MergedRecord {
  RawRecord bytes;
  std::array<int, RecordSize> setBy;
};

QString HexBytes(const RawRecord& raw, int from, int to) {
  QStringList bytes;
  for (int at = from; at <= to; ++at) bytes << u"%1"_s.arg(raw[at], 2, 16, QChar(u'0'));
  return bytes.join(u' ');
}

// The bytes of `after` that differ from `before` and that no field difference explains,
// as runs: "  bytes 60..61: 00 00 -> 01 02".
QStringList RawDifferences(const TUnitTemplate& before, const TUnitTemplate& after) {
  TUnitTemplate withNewFields = after;
  withNewFields.RawBytes = before.RawBytes;
  const RawRecord explained = FieldBytes(before, withNewFields);
  QStringList lines;
  for (int at = 0; at < RecordSize; ++at) {
    if (explained[at] == after.RawBytes[at]) continue;
    int end = at;
    while (end + 1 < RecordSize && explained[end + 1] != after.RawBytes[end + 1]) ++end;
    const QString place = end == at ? u"byte %1"_s.arg(at) : u"bytes %1..%2"_s.arg(at).arg(end);
    lines << u"  %1: %2 -> %3"_s.arg(place, HexBytes(before.RawBytes, at, end),
                                     HexBytes(after.RawBytes, at, end));
    at = end;
  }
  return lines;
}

}  // namespace

TUnitTemplate RecordFromBytes(UnitId unit, const RawRecord& raw) {
  TUnitTemplate record;
  record.Index = unit.index;
  record.RawBytes = raw;
  DecodeRecord(record, record.RawBytes.data());
  return record;
}

std::optional<ModOutcome> ApplyMod(const UnitRecords& game, const ModFile& mod,
                                   QStringList& errors) {
  std::map<std::int64_t, MergedRecord> merged;
  for (const ModUnit& unit : mod.units) {
    const int position = PositionOf(unit.unit);
    const auto wanted = UnitBytes(game[position], unit, errors);
    if (!wanted) continue;
    const RawRecord& now = game[position].RawBytes;
    auto [it, added] =
        merged.try_emplace(UnitOffset(unit.unit.kind, unit.unit.index), MergedRecord{now, {}});
    if (added) it->second.setBy.fill(-1);
    MergedRecord& record = it->second;
    for (int at = 0; at < RecordSize; ++at) {
      if ((*wanted)[at] == now[at]) continue;
      const int other = record.setBy[at];
      if (other >= 0 && record.bytes[at] != (*wanted)[at]) {
        errors << u"%1: shares its record with %2, which sets byte %3 to another value"_s
                      .arg(unit.where, UnitLabel(UnitAt(other)))
                      .arg(at);
        break;
      }
      record.bytes[at] = (*wanted)[at];
      record.setBy[at] = position;
    }
  }
  if (!errors.isEmpty()) return std::nullopt;

  ModOutcome outcome{game, {}};
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    const auto it = merged.find(UnitOffset(unit.kind, unit.index));
    if (it == merged.end() || it->second.bytes == game[position].RawBytes) continue;
    outcome.records[position] = RecordFromBytes(unit, it->second.bytes);
    // Units are in write order, so a later unit of the same record replaces an earlier one.
    std::erase_if(outcome.changed, [&](int earlier) {
      return UnitOffset(UnitAt(earlier).kind, UnitAt(earlier).index) == it->first;
    });
    outcome.changed.push_back(position);
  }
  return outcome;
}

QStringList DiffRecords(const UnitRecords& before, const UnitRecords& after) {
  QStringList lines;
  for (int position = 0; position < UnitCount; ++position) {
    const TUnitTemplate& a = before[position];
    const TUnitTemplate& b = after[position];
    QStringList unitLines;
    for (const QString& field : UnitFields::Names()) {
      const QString old = UnitFields::Text(a, field);
      const QString now = UnitFields::Text(b, field);
      if (old != now) unitLines << u"  %1: %2 -> %3"_s.arg(field, old, now);
    }
    unitLines << RawDifferences(a, b);
    if (unitLines.isEmpty()) continue;
    lines << UnitLabel(UnitAt(position)) << unitLines;
  }
  return lines;
}
