#include "unitfields.h"

#include "fieldranges.h"

#include <QJsonArray>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace UnitFields {
namespace {

enum class Kind { Number, Boolean, Byte20, Owners };

// Each field's range is the one the editor's controls use (fieldranges.h).
struct Field {
  QString name;
  Kind kind;
  std::function<qint64(const TUnitTemplate&)> get;
  std::function<void(TUnitTemplate&, qint64)> set;
};

#define SM_NUMBER(F)                                                                      \
  Field {                                                                                 \
    QStringLiteral(#F), Kind::Number, [](const TUnitTemplate& u) { return qint64(u.F); }, \
        [](TUnitTemplate& u, qint64 v) { u.F = static_cast<decltype(u.F)>(v); }           \
  }
#define SM_BOOL(F)                                                                         \
  Field {                                                                                  \
    QStringLiteral(#F), Kind::Boolean, [](const TUnitTemplate& u) { return qint64(u.F); }, \
        [](TUnitTemplate& u, qint64 v) { u.F = v != 0; }                                   \
  }

const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = {
      SM_NUMBER(Health),
      SM_NUMBER(Cost),
      SM_NUMBER(BuildSpeed),
      SM_NUMBER(Byte40),
      SM_NUMBER(Byte47),
      SM_NUMBER(FireSpeed),
      Field{u"Byte20Set"_s, Kind::Byte20,
            [](const TUnitTemplate& u) { return qint64(Byte20Member(u.Byte20Set)); },
            [](TUnitTemplate& u, qint64 v) { u.Byte20Set = v < 0 ? 0 : std::uint8_t(1u << v); }},
      SM_NUMBER(Armor),
      SM_NUMBER(RateOfTurn),
      SM_NUMBER(Byte12),
      SM_NUMBER(Sight),
      SM_BOOL(Flag37),
      SM_NUMBER(Byte45),
      SM_BOOL(Inaccurate),
      SM_BOOL(SelfHeal),
      SM_NUMBER(Long92),
      SM_NUMBER(Long96),
      SM_NUMBER(Long100),
      SM_NUMBER(Long104),
      SM_NUMBER(Long124),
      SM_NUMBER(Long128),
      SM_NUMBER(Long132),
      SM_NUMBER(Long136),
      Field{u"Owners"_s, Kind::Owners, [](const TUnitTemplate& u) { return qint64(u.Owners); },
            [](TUnitTemplate& u, qint64 v) { u.Owners = std::uint8_t(v); }},
  };
  return fields;
}

#undef SM_NUMBER
#undef SM_BOOL

// The houses byte 44 has a bit for, in the order of Owners' members. The Emperor, the set's fourth
// member, has none: encoding drops him without a word, so naming him is refused instead.
const QStringList kHouses = {u"Atreides"_s, u"Ordos"_s, u"Harkonnen"_s};
const QString kEmperor = u"Emperor"_s;
// The editor's windows label the first house "Atreidies": a modder who copies that spelling
// means the Atreides.
const QString kAtreidesAsTheEditorSpellsIt = u"Atreidies"_s;

// The house `name` stands for, in any letter case; -1 for none of them.
qsizetype HouseIndex(const QString& name) {
  if (name.compare(kAtreidesAsTheEditorSpellsIt, Qt::CaseInsensitive) == 0) return 0;
  for (qsizetype i = 0; i < kHouses.size(); ++i) {
    if (kHouses[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

const Field* Find(const QString& name) {
  for (const Field& f : Fields()) {
    if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
  }
  return nullptr;
}

std::optional<qint64> ParseNumber(const QString& text) {
  bool ok = false;
  const QString t = text.trimmed();
  qint64 v = t.startsWith(u"0x"_s, Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                        : t.toLongLong(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<qint64> ParseBoolean(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == u"1"_s || t == u"true"_s || t == u"yes"_s) return 1;
  if (t == u"0"_s || t == u"false"_s || t == u"no"_s) return 0;
  return std::nullopt;
}

std::optional<qint64> ParseOwners(const QString& text, QString& error) {
  qint64 set = 0;
  const QString t = text.trimmed();
  if (t.isEmpty() || t.compare(u"none"_s, Qt::CaseInsensitive) == 0) return 0;
  for (const QString& part : t.split(u',', Qt::SkipEmptyParts)) {
    const qsizetype found = HouseIndex(part.trimmed());
    if (kEmperor.compare(part.trimmed(), Qt::CaseInsensitive) == 0) {
      error =
          u"Owners: the game file has no Emperor bit, so the Emperor cannot own a unit "
          u"(houses: %1)"_s.arg(kHouses.join(u", "_s));
      return std::nullopt;
    }
    if (found < 0) {
      error = u"Unknown house \"%1\" (houses: %2)"_s.arg(part.trimmed(), kHouses.join(u", "_s));
      return std::nullopt;
    }
    set |= qint64(1) << found;
  }
  return set;
}

}  // namespace

const QStringList& Names() {
  static const QStringList names = [] {
    QStringList list;
    for (const Field& f : Fields()) list << f.name;
    return list;
  }();
  return names;
}

QStringList HouseNames(std::uint8_t owners) {
  QStringList names;
  for (int h = 0; h < kHouses.size(); ++h) {
    if (owners & (1u << h)) names << kHouses[h];
  }
  return names;
}

std::optional<qint64> Value(const TUnitTemplate& unit, const QString& field) {
  const Field* f = Find(field);
  return f ? std::optional(f->get(unit)) : std::nullopt;
}

bool SetValue(TUnitTemplate& unit, const QString& field, qint64 value) {
  const Field* f = Find(field);
  if (f) f->set(unit, value);
  return f != nullptr;
}

QJsonObject ToJson(const TUnitTemplate& unit) {
  QJsonObject object;
  for (const Field& f : Fields()) {
    const qint64 v = f.get(unit);
    switch (f.kind) {
      case Kind::Number:
        object.insert(f.name, v);
        break;
      case Kind::Boolean:
        object.insert(f.name, v != 0);
        break;
      case Kind::Byte20:
        object.insert(f.name, v < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(v));
        break;
      case Kind::Owners:
        object.insert(f.name, QJsonArray::fromStringList(HouseNames(std::uint8_t(v))));
        break;
    }
  }
  return object;
}

QString Text(const TUnitTemplate& unit, const QString& name) {
  const Field* f = Find(name);
  if (!f) return {};
  const qint64 v = f->get(unit);
  switch (f->kind) {
    case Kind::Number:
      return QString::number(v);
    case Kind::Boolean:
      return v ? u"true"_s : u"false"_s;
    case Kind::Byte20:
      return v < 0 ? u"null"_s : QString::number(v);
    case Kind::Owners: {
      const QStringList houses = HouseNames(std::uint8_t(v));
      return houses.isEmpty() ? u"none"_s : houses.join(u","_s);
    }
  }
  return {};
}

std::optional<QString> Set(TUnitTemplate& unit, std::uint8_t kind, const QString& name,
                           const QString& value) {
  const Field* f = Find(name);
  if (!f) {
    return u"Unknown field \"%1\". Fields: %2"_s.arg(name, Names().join(u", "_s));
  }
  std::optional<qint64> v;
  QString error;
  switch (f->kind) {
    case Kind::Number:
      v = ParseNumber(value);
      if (!v) error = u"%1: \"%2\" is not a whole number"_s.arg(f->name, value);
      break;
    case Kind::Boolean:
      v = ParseBoolean(value);
      if (!v) error = u"%1: \"%2\" is not true or false"_s.arg(f->name, value);
      break;
    case Kind::Byte20:
      v = value.trimmed().compare(u"null"_s, Qt::CaseInsensitive) == 0 ? std::optional<qint64>(-1)
                                                                       : ParseNumber(value);
      if (!v) error = u"%1: \"%2\" is not a whole number or null"_s.arg(f->name, value);
      break;
    case Kind::Owners:
      v = ParseOwners(value, error);
      break;
  }
  if (!v) return error;
  const bool nullByte20 = f->kind == Kind::Byte20 && *v == -1;
  const FieldRange range = *UnitFieldRange(kind, f->name);
  if (!nullByte20 && !range.Contains(*v)) {
    return u"%1: %2 is outside the field's range %3..%4"_s.arg(f->name, value)
        .arg(range.min)
        .arg(range.max);
  }
  f->set(unit, *v);
  return std::nullopt;
}

}  // namespace UnitFields
