#pragma once

#include "unitlayout.h"
#include "unittemplate.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <optional>

// Unit records as text, for mods kept in version control: a JSON or CSV file that names each
// unit by kind and number, gives its decoded fields and its 256 bytes in hex.

// The name and version every file carries; a file of another version is refused, not guessed at.
inline const QString kModFormatName = QStringLiteral("saltmarch98-units");
inline constexpr int kModFormatVersion = 1;

struct UnitId {
  std::uint8_t kind = ukInfantry;
  int index = 1;
  friend bool operator==(const UnitId&, const UnitId&) = default;
};

inline constexpr int UnitCount = InfantryCount + VehicleCount;
// Every unit's record: infantry 1..7, then vehicles 1..21, the order the store writes them in.
using UnitRecords = std::array<TUnitTemplate, UnitCount>;

UnitId UnitAt(int position);
int PositionOf(UnitId unit);
QString KindText(std::uint8_t kind);
// The kind that "infantry" or "vehicle" names, in any letter case; nothing for another text.
std::optional<std::uint8_t> KindFromText(const QString& text);
QString UnitName(UnitId unit);
// "vehicle 3 "Quad"": how messages name a unit.
QString UnitLabel(UnitId unit);

// What a mod file says about one unit: its raw bytes and/or some of its fields, as text that
// the field table parses, and where it stands in the file ("line 7", "unit 3").
struct ModUnit {
  UnitId unit;
  QString where;
  std::optional<std::array<std::uint8_t, RecordSize>> raw;
  QList<QPair<QString, QString>> fields;  // field name as the table spells it, value text
};

struct ModFile {
  QList<ModUnit> units;
};

enum class ModFormat { Json, Csv };

QByteArray ExportJson(const UnitRecords& records);
QByteArray ExportCsv(const UnitRecords& records);

// Whether `bytes` look like one of our text files rather than a templates.bin.
bool LooksLikeModText(const QByteArray& bytes);

// Unit files are far smaller (about 30 KB); a larger file is refused rather than read whole.
inline constexpr qint64 kMaxModTextSize = 4 * 1024 * 1024;
// The refusal of a file of `size` bytes, larger than kMaxModTextSize.
QString TooLargeForModText(qint64 size);

// Parses a JSON or CSV unit file (told apart by their first character). Gives nothing and sets
// `error` to a message naming the line or unit at fault. Ranges are not checked here: they are
// checked against the record a value goes into.
std::optional<ModFile> ParseModText(const QByteArray& bytes, QString& error);
