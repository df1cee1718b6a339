#include "modtext.h"

#include "csvtext.h"
#include "jsontext.h"
#include "stringtable.h"
#include "unitfields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kKind = u"Kind"_s;
const QString kIndex = u"Index"_s;
const QString kName = u"Name"_s;
const QString kOffset = u"Offset"_s;
const QString kRaw = u"Raw"_s;

bool IsIdentityKey(const QString& key) {
  return key == kKind || key == kIndex || key == kName || key == kOffset;
}

// The field's name as the table spells it, or an empty text for an unknown one.
QString CanonicalField(const QString& name) {
  for (const QString& field : UnitFields::Names()) {
    if (field.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return field;
  }
  return {};
}

QString RawHex(const TUnitTemplate& record) {
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char*>(record.RawBytes.data()), RecordSize).toHex());
}

std::optional<std::array<std::uint8_t, RecordSize>> ParseRawHex(const QString& text,
                                                                QString& error) {
  QString digits = text;
  digits.remove(QRegularExpression(u"\\s"_s));
  static const QRegularExpression hexOnly(u"^[0-9A-Fa-f]*$"_s);
  if (digits.size() != 2 * RecordSize || !hexOnly.match(digits).hasMatch()) {
    error = u"Raw must be %1 hex digits (%2 bytes)"_s.arg(2 * RecordSize).arg(RecordSize);
    return std::nullopt;
  }
  const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
  std::array<std::uint8_t, RecordSize> raw{};
  std::copy(bytes.begin(), bytes.end(), raw.begin());
  return raw;
}

// Finds the unit that a kind and number, or a name, point at. Empty texts count as not given.
std::optional<UnitId> Identify(const QString& kind, const QString& index, const QString& name,
                               QString& error) {
  UnitId unit;
  if (!kind.trimmed().isEmpty()) {
    const auto given = KindFromText(kind);
    if (!given) {
      error = u"Kind must be infantry or vehicle, not \"%1\""_s.arg(kind);
      return std::nullopt;
    }
    unit.kind = *given;
    bool numeric = false;
    unit.index = index.trimmed().toInt(&numeric);
    const int count = UnitCountOf(unit.kind);
    if (!numeric || unit.index < 1 || unit.index > count) {
      error = u"the %1 number must lie in 1..%2, not \"%3\""_s.arg(KindText(unit.kind))
                  .arg(count)
                  .arg(index);
      return std::nullopt;
    }
    if (!name.trimmed().isEmpty() &&
        name.trimmed().compare(UnitName(unit), Qt::CaseInsensitive) != 0) {
      error = u"the name \"%1\" is not that of %2"_s.arg(name, UnitLabel(unit));
      return std::nullopt;
    }
    return unit;
  }
  if (!index.trimmed().isEmpty()) {
    error = u"a unit number needs its Kind"_s;
    return std::nullopt;
  }
  for (int position = 0; position < UnitCount; ++position) {
    if (UnitName(UnitAt(position)).compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
      return UnitAt(position);
    }
  }
  error = name.trimmed().isEmpty() ? u"no unit named: give Kind and Index, or Name"_s
                                   : u"no unit is named \"%1\""_s.arg(name);
  return std::nullopt;
}

// The first control character of `text`, apart from the blanks, tabs and line breaks around it
// that every value and name may carry (they are trimmed everywhere and stay harmless). Such a
// character means a damaged file, and the number parser would quietly stop at a NUL
// ("1<NUL>50" read as 1), so the file is refused rather than guessed at.
std::optional<QChar> ControlCharacterIn(const QString& text) {
  const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  qsizetype from = 0, to = text.size();
  while (from < to && blank(text[from])) ++from;
  while (to > from && blank(text[to - 1])) --to;
  for (qsizetype at = from; at < to; ++at) {
    if (text[at].category() == QChar::Other_Control) return text[at];
  }
  return std::nullopt;
}

QString CodeText(QChar c) {
  return u"U+"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
}

// Whether the name `key` and its `value` hold no control character; otherwise sets `error`.
// A name is checked too, so that no message prints one raw.
bool NoControlCharacter(const QString& place, const QString& key, const QString& value,
                        QString& error) {
  if (const auto c = ControlCharacterIn(key)) {
    error = u"%1: a name holds a control character (%2)"_s.arg(place, CodeText(*c));
    return false;
  }
  if (const auto c = ControlCharacterIn(value)) {
    error = u"%1: the value of %2 holds a control character (%3)"_s.arg(place, key, CodeText(*c));
    return false;
  }
  return true;
}

// A unit's place in the file followed by the unit itself, once it is known.
QString Where(const QString& place, std::optional<UnitId> unit) {
  return unit ? u"%1 (%2)"_s.arg(place, UnitLabel(*unit)) : place;
}

// Adds one value of a unit: the raw bytes, a field, or one of the names that identify it.
bool AddValue(ModUnit& mod, const QString& key, const QString& value, QString& error) {
  if (IsIdentityKey(key)) return true;  // Offset follows from the unit; the rest identified it
  if (key == kRaw) {
    mod.raw = ParseRawHex(value, error);
    return mod.raw.has_value();
  }
  const QString field = CanonicalField(key);
  if (field.isEmpty()) {
    error = u"unknown field \"%1\""_s.arg(key);
    return false;
  }
  mod.fields.append({field, value});
  return true;
}

// Linear, so a hostile file listing the same unit many times costs no more than reading it.
bool NoUnitTwice(const ModFile& mod, QString& error) {
  std::array<qsizetype, UnitCount> seen;
  seen.fill(-1);
  for (qsizetype i = 0; i < mod.units.size(); ++i) {
    qsizetype& first = seen[PositionOf(mod.units[i].unit)];
    if (first >= 0) {
      error = u"%1 is given twice: %2 and %3"_s.arg(UnitLabel(mod.units[i].unit),
                                                    mod.units[first].where.section(u" ("_s, 0, 0),
                                                    mod.units[i].where.section(u" ("_s, 0, 0));
      return false;
    }
    first = i;
  }
  return true;
}

// ---- JSON ----

// One value of the unit as JSON text, written through a one-element array so that escaping
// follows the JSON writer.
QString JsonValueText(const QJsonValue& value) {
  const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

std::optional<QString> JsonValueAsText(const QJsonValue& value) {
  switch (value.type()) {
    case QJsonValue::Bool:
      return value.toBool() ? u"true"_s : u"false"_s;
    case QJsonValue::Null:
      return u"null"_s;
    case QJsonValue::String:
      return value.toString();
    case QJsonValue::Double: {
      const double d = value.toDouble();
      // Beyond 2^53 a double no longer holds every whole number; no field comes near that.
      if (d != std::floor(d) || std::fabs(d) > 9.0e15) return std::nullopt;
      return QString::number(static_cast<qint64>(d));
    }
    case QJsonValue::Array: {
      QStringList items;
      for (const QJsonValue& item : value.toArray()) {
        if (!item.isString()) return std::nullopt;
        items << item.toString();
      }
      return items.isEmpty() ? u"none"_s : items.join(u',');
    }
    default:
      return std::nullopt;
  }
}

std::optional<ModUnit> ParseJsonUnit(const QJsonValue& value, int number, QString& error) {
  const QString place = u"unit %1"_s.arg(number);
  if (!value.isObject()) {
    error = u"%1: not an object"_s.arg(place);
    return std::nullopt;
  }
  const QJsonObject object = value.toObject();
  const auto text = [&](const QString& key) {
    return object.contains(key) ? JsonValueAsText(object[key]).value_or(u"?"_s) : QString();
  };
  // Checked before the unit is identified, so that a damaged Index cannot name another unit.
  for (auto it = object.begin(); it != object.end(); ++it) {
    const QString valueText = JsonValueAsText(it.value()).value_or(QString());
    if (!NoControlCharacter(place, it.key(), valueText, error)) return std::nullopt;
  }
  ModUnit mod;
  QString problem;
  const auto unit = Identify(text(kKind), text(kIndex), text(kName), problem);
  if (!unit) {
    error = u"%1: %2"_s.arg(place, problem);
    return std::nullopt;
  }
  mod.unit = *unit;
  mod.where = Where(place, unit);
  for (auto it = object.begin(); it != object.end(); ++it) {
    const auto valueText = JsonValueAsText(it.value());
    if (!valueText) {
      error = u"%1: %2 must be a whole number, true/false, null, a text or a list of houses"_s.arg(
          mod.where, it.key());
      return std::nullopt;
    }
    if (!AddValue(mod, it.key(), *valueText, problem)) {
      error = u"%1: %2"_s.arg(mod.where, problem);
      return std::nullopt;
    }
  }
  return mod;
}

bool CheckVersion(const QString& format, const QString& version, const QString& place,
                  QString& error) {
  if (format != kModFormatName) {
    error = u"%1: not a unit file of Saltmarch 98 (expected the format \"%2\")"_s.arg(
        place, kModFormatName);
    return false;
  }
  if (!NoControlCharacter(place, u"Version"_s, version, error)) return false;
  if (version != QString::number(kModFormatVersion)) {
    error = u"%1: format version %2 is not supported (this program reads version %3)"_s
                .arg(place, version.isEmpty() ? u"(none)"_s : version)
                .arg(kModFormatVersion);
    return false;
  }
  return true;
}

// The version as the file gives it, whatever its type: 1.5 is "1.5"; empty when it gives none.
QString VersionText(const QJsonValue& version) {
  if (version.isUndefined()) return {};
  return JsonValueAsText(version).value_or(JsonValueText(version));
}

std::optional<ModFile> ParseJsonFile(const QByteArray& bytes, QString& error) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    error = u"line %1: %2"_s.arg(LineAt(bytes, parseError.offset)).arg(parseError.errorString());
    return std::nullopt;
  }
  // The reader keeps one of two values of a key without a word; which one was meant is
  // anybody's guess, so such a file is refused.
  if (const auto repeated = FirstRepeatedKey(bytes)) {
    if (!NoControlCharacter(u"line %1"_s.arg(repeated->line), repeated->key, {}, error))
      return std::nullopt;
    const QString lines = repeated->firstLine == repeated->line
                              ? u"line %1"_s.arg(repeated->line)
                              : u"lines %1 and %2"_s.arg(repeated->firstLine).arg(repeated->line);
    error = u"%1: \"%2\" is given twice in one object"_s.arg(lines, repeated->key.trimmed());
    return std::nullopt;
  }
  if (!document.isObject()) {
    error = u"line 1: the file must hold one object with Format, Version and Units"_s;
    return std::nullopt;
  }
  const QJsonObject root = document.object();
  for (const QString& key : root.keys()) {
    if (!NoControlCharacter(u"the file"_s, key, {}, error)) return std::nullopt;
    if (key != u"Format"_s && key != u"Version"_s && key != u"Units"_s) {
      error = u"unknown entry \"%1\" beside Format, Version and Units"_s.arg(key);
      return std::nullopt;
    }
  }
  if (!CheckVersion(root[u"Format"_s].toString(), VersionText(root[u"Version"_s]), u"line 1"_s,
                    error)) {
    return std::nullopt;
  }
  if (!root[u"Units"_s].isArray()) {
    error = u"Units must be a list of units"_s;
    return std::nullopt;
  }
  ModFile mod;
  int number = 0;
  for (const QJsonValue& value : root[u"Units"_s].toArray()) {
    auto unit = ParseJsonUnit(value, ++number, error);
    if (!unit) return std::nullopt;
    mod.units << *unit;
  }
  if (!NoUnitTwice(mod, error)) return std::nullopt;
  return mod;
}

// ---- CSV ----

QStringList CsvHeader() {
  return QStringList{kKind, kIndex, kName, kOffset} + UnitFields::Names() + QStringList{kRaw};
}

std::optional<QStringList> CheckCsvHeader(const CsvRow& row, QString& error) {
  QStringList header;
  for (const QString& cell : row.cells) {
    if (!NoControlCharacter(u"line %1"_s.arg(row.line), cell, {}, error)) return std::nullopt;
    const QString name = cell.trimmed();
    const QString canonical = IsIdentityKey(name) || name == kRaw ? name : CanonicalField(name);
    if (canonical.isEmpty()) {
      error = u"line %1: unknown column \"%2\""_s.arg(row.line).arg(name);
      return std::nullopt;
    }
    if (header.contains(canonical)) {
      error = u"line %1: the column %2 is given twice"_s.arg(row.line).arg(canonical);
      return std::nullopt;
    }
    header << canonical;
  }
  return header;
}

std::optional<ModUnit> ParseCsvUnit(const CsvRow& row, const QStringList& header, QString& error) {
  const QString place = u"line %1"_s.arg(row.line);
  if (row.cells.size() > header.size()) {
    error = u"%1: %2 cells, but the header names %3 columns"_s.arg(place)
                .arg(row.cells.size())
                .arg(header.size());
    return std::nullopt;
  }
  // A spreadsheet may drop empty cells at the end of a row; they are simply not given.
  const auto cell = [&](const QString& column) {
    const qsizetype at = header.indexOf(column);
    return at >= 0 && at < row.cells.size() ? row.cells[at] : QString();
  };
  for (qsizetype at = 0; at < row.cells.size(); ++at) {
    if (!NoControlCharacter(place, header[at], row.cells[at], error)) return std::nullopt;
  }
  QString problem;
  const auto unit = Identify(cell(kKind), cell(kIndex), cell(kName), problem);
  if (!unit) {
    error = u"%1: %2"_s.arg(place, problem);
    return std::nullopt;
  }
  ModUnit mod;
  mod.unit = *unit;
  mod.where = Where(place, unit);
  for (qsizetype at = 0; at < row.cells.size(); ++at) {
    // An empty cell leaves the field as the game has it.
    if (row.cells[at].trimmed().isEmpty()) continue;
    if (!AddValue(mod, header[at], row.cells[at], problem)) {
      error = u"%1: %2"_s.arg(mod.where, problem);
      return std::nullopt;
    }
  }
  return mod;
}

std::optional<ModFile> ParseCsvFile(const QByteArray& bytes, QString& error) {
  const auto rows = ParseCsv(QString::fromUtf8(bytes), error);
  if (!rows) return std::nullopt;
  if (rows->empty()) {
    error = u"line 1: the file is empty"_s;
    return std::nullopt;
  }
  const CsvRow& first = rows->front();
  const QString place = u"line %1"_s.arg(first.line);
  if (first.cells.size() < 4 || first.cells[0].trimmed() != u"Format"_s ||
      first.cells[2].trimmed() != u"Version"_s) {
    error = u"%1: not a unit file of Saltmarch 98 (expected Format,%2,Version,%3)"_s.arg(place)
                .arg(kModFormatName)
                .arg(kModFormatVersion);
    return std::nullopt;
  }
  if (!CheckVersion(first.cells[1].trimmed(), first.cells[3].trimmed(), place, error)) {
    return std::nullopt;
  }
  if (rows->size() < 2) {
    error = u"%1: the column header is missing"_s.arg(place);
    return std::nullopt;
  }
  const auto header = CheckCsvHeader((*rows)[1], error);
  if (!header) return std::nullopt;
  ModFile mod;
  for (std::size_t i = 2; i < rows->size(); ++i) {
    auto unit = ParseCsvUnit((*rows)[i], *header, error);
    if (!unit) return std::nullopt;
    mod.units << *unit;
  }
  if (!NoUnitTwice(mod, error)) return std::nullopt;
  return mod;
}

}  // namespace

UnitId UnitAt(int position) {
  return position < InfantryCount ? UnitId{ukInfantry, position + 1}
                                  : UnitId{ukVehicle, position - InfantryCount + 1};
}

int PositionOf(UnitId unit) {
  return unit.kind == ukInfantry ? unit.index - 1 : InfantryCount + unit.index - 1;
}

QString KindText(std::uint8_t kind) {
  return kind == ukInfantry ? u"infantry"_s : u"vehicle"_s;
}

std::optional<std::uint8_t> KindFromText(const QString& text) {
  for (const std::uint8_t kind : {ukInfantry, ukVehicle}) {
    if (text.trimmed().compare(KindText(kind), Qt::CaseInsensitive) == 0) return kind;
  }
  return std::nullopt;
}

QString UnitName(UnitId unit) {
  return UnitName(unit.kind, unit.index);
}

QString UnitLabel(UnitId unit) {
  return u"%1 %2 \"%3\""_s.arg(KindText(unit.kind)).arg(unit.index).arg(UnitName(unit));
}

QByteArray ExportJson(const UnitRecords& records) {
  // Written by hand rather than by QJsonDocument, which sorts keys: the format and version
  // belong at the top, and each unit reads kind, number and name first, one value a line.
  QString text = u"{\n  \"Format\": %1,\n  \"Version\": %2,\n  \"Units\": [\n"_s.arg(
      JsonValueText(kModFormatName), QString::number(kModFormatVersion));
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    const TUnitTemplate& record = records[position];
    const QJsonObject fields = UnitFields::ToJson(record);
    QList<QPair<QString, QJsonValue>> values = {
        {kKind, KindText(unit.kind)},
        {kIndex, unit.index},
        {kName, UnitName(unit)},
        {kOffset, qint64(UnitOffset(unit.kind, unit.index))}};
    for (const QString& field : UnitFields::Names()) values.append({field, fields[field]});
    values.append({kRaw, RawHex(record)});
    QStringList lines;
    for (const auto& [key, value] : values) {
      lines << u"      %1: %2"_s.arg(JsonValueText(key), JsonValueText(value));
    }
    text += u"    {\n"_s + lines.join(u",\n"_s) + u"\n    }"_s;
    text += position + 1 < UnitCount ? u",\n"_s : u"\n"_s;
  }
  text += u"  ]\n}\n"_s;
  return text.toUtf8();
}

QByteArray ExportCsv(const UnitRecords& records) {
  QString text =
      CsvLine({u"Format"_s, kModFormatName, u"Version"_s, QString::number(kModFormatVersion)});
  text += CsvLine(CsvHeader());
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    const TUnitTemplate& record = records[position];
    QStringList cells = {KindText(unit.kind), QString::number(unit.index), UnitName(unit),
                         QString::number(UnitOffset(unit.kind, unit.index))};
    for (const QString& field : UnitFields::Names()) cells << UnitFields::Text(record, field);
    cells << RawHex(record);
    text += CsvLine(cells);
  }
  return text.toUtf8();
}

QString TooLargeForModText(qint64 size) {
  return u"the file is too large for a unit file (%1 bytes; a unit file holds at most %2)"_s
      .arg(size)
      .arg(kMaxModTextSize);
}

bool LooksLikeModText(const QByteArray& bytes) {
  QByteArray start = bytes.left(64);
  if (start.startsWith("\xEF\xBB\xBF")) start.remove(0, 3);
  start = start.trimmed();
  return start.startsWith('{') || start.startsWith("Format,") || start.startsWith("\"Format\"");
}

std::optional<ModFile> ParseModText(const QByteArray& bytes, QString& error) {
  if (bytes.size() > kMaxModTextSize) {
    error = TooLargeForModText(bytes.size());
    return std::nullopt;
  }
  QByteArray text = bytes;
  if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);  // spreadsheets write a BOM
  const QByteArray start = text.trimmed().left(1);
  return start == "{" || start == "[" ? ParseJsonFile(text, error) : ParseCsvFile(text, error);
}
