#include "unitstablemodel.h"

#include "fieldranges.h"
#include "stringtable.h"
#include "templatestore.h"
#include "unitdocument.h"

#include <cmath>
#include <optional>

namespace {

// Headers in the settings windows' wording; the field names are the range table's.
struct ColumnInfo {
  const char* header;
  const char16_t* field;
};
constexpr ColumnInfo kColumns[TUnitsTableModel::ColumnCount] = {
    {"Health", u"Health"},
    {"Cost", u"Cost"},
    {"Build Speed", u"BuildSpeed"},
    {"Firing Speed", u"FireSpeed"},
    {"Armor", u"Armor"},
    {"Rate Of Turn", u"RateOfTurn"},
    {"Sight", u"Sight"},
    {"Inaccurate", u"Inaccurate"},
    {"Self Healing", u"SelfHeal"},
    {"Atreides", u"Owners"},
    {"Ordos", u"Owners"},
    {"Harkonnen", u"Owners"},
};

House HouseOf(int column) {
  return column == TUnitsTableModel::ColAtreides ? hAtreides
         : column == TUnitsTableModel::ColOrdos  ? hOrdos
                                                 : hHarkonnen;
}

std::int64_t ValueOf(const TUnitTemplate& unit, int column) {
  switch (column) {
    case TUnitsTableModel::ColHealth:
      return unit.Health;
    case TUnitsTableModel::ColCost:
      return unit.Cost;
    case TUnitsTableModel::ColBuildSpeed:
      return unit.BuildSpeed;
    case TUnitsTableModel::ColFireSpeed:
      return unit.FireSpeed;
    case TUnitsTableModel::ColArmor:
      return unit.Armor;
    case TUnitsTableModel::ColRateOfTurn:
      return unit.RateOfTurn;
    case TUnitsTableModel::ColSight:
      return unit.Sight;
    case TUnitsTableModel::ColInaccurate:
      return unit.Inaccurate;
    case TUnitsTableModel::ColSelfHeal:
      return unit.SelfHeal;
    default:
      return unit.HasOwner(HouseOf(column));
  }
}

// `value` has been checked against the column's range already.
void SetValue(TUnitTemplate& unit, int column, std::int64_t value) {
  switch (column) {
    case TUnitsTableModel::ColHealth:
      unit.Health = std::int32_t(value);
      break;
    case TUnitsTableModel::ColCost:
      unit.Cost = std::int32_t(value);
      break;
    case TUnitsTableModel::ColBuildSpeed:
      unit.BuildSpeed = std::uint8_t(value);
      break;
    case TUnitsTableModel::ColFireSpeed:
      unit.FireSpeed = std::uint8_t(value);
      break;
    case TUnitsTableModel::ColArmor:
      unit.Armor = std::uint8_t(value);
      break;
    case TUnitsTableModel::ColRateOfTurn:
      unit.RateOfTurn = std::uint8_t(value);
      break;
    case TUnitsTableModel::ColSight:
      unit.Sight = std::uint8_t(value);
      break;
    case TUnitsTableModel::ColInaccurate:
      unit.Inaccurate = value != 0;
      break;
    case TUnitsTableModel::ColSelfHeal:
      unit.SelfHeal = value != 0;
      break;
    default:
      unit.SetOwner(HouseOf(column), value != 0);
      break;
  }
}

// A whole number given as a number or as text ("12", " 12 "); nothing for anything else, a
// fraction included: the windows take whole numbers only.
std::optional<std::int64_t> WholeNumber(const QVariant& value) {
  bool ok = false;
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
      const double d = value.toDouble();
      if (!std::isfinite(d) || d != std::floor(d) || std::abs(d) > 9.0e18) return std::nullopt;
      return std::int64_t(d);
    }
    case QMetaType::QString: {
      const std::int64_t n = value.toString().trimmed().toLongLong(&ok);
      return ok ? std::optional(n) : std::nullopt;
    }
    default: {
      const std::int64_t n = value.toLongLong(&ok);
      return ok ? std::optional(n) : std::nullopt;
    }
  }
}

}  // namespace

TUnitsTableModel::TUnitsTableModel(TUnitDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
  connect(&document_, &TUnitDocument::UnitChanged, this, [this](std::uint8_t kind, int unit) {
    const int row = RowOf(kind, unit);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  });
  connect(&document_, &TUnitDocument::Reloaded, this, [this] {
    beginResetModel();
    endResetModel();
  });
}

std::uint8_t TUnitsTableModel::KindOfRow(int row) {
  return row < InfantryCount ? ukInfantry : ukVehicle;
}
int TUnitsTableModel::UnitOfRow(int row) {
  return row < InfantryCount ? row + 1 : row - InfantryCount + 1;
}
int TUnitsTableModel::RowOf(std::uint8_t kind, int unit) {
  return kind == ukInfantry ? unit - 1 : InfantryCount + unit - 1;
}
bool TUnitsTableModel::IsCheckColumn(int column) {
  return column >= ColInaccurate;
}

int TUnitsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : InfantryCount + VehicleCount;
}
int TUnitsTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TUnitsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this) return {};
  TUnitTemplate unit;
  document_.Store().GetUnit(KindOfRow(index.row()), UnitOfRow(index.row()), unit);
  const std::int64_t value = ValueOf(unit, index.column());
  if (role == SortRole) return qlonglong(value);
  if (IsCheckColumn(index.column())) {
    if (role == Qt::CheckStateRole) return value ? Qt::Checked : Qt::Unchecked;
    return {};
  }
  if (role == Qt::DisplayRole || role == Qt::EditRole) return qlonglong(value);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TUnitsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    return section < ColumnCount ? QString::fromLatin1(kColumns[section].header) : QVariant();
  }
  if (section >= rowCount()) return {};
  return UnitName(KindOfRow(section), UnitOfRow(section));
}

Qt::ItemFlags TUnitsTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  // Units that could not be read hold no game's values: they are shown, never changed.
  if (!document_.Store().UnitsLoaded(KindOfRow(index.row()))) return flags;
  return flags | (IsCheckColumn(index.column()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

bool TUnitsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.model() != this) return false;
  const int column = index.column();
  const Qt::ItemFlags itemFlags = flags(index);
  std::optional<std::int64_t> number;
  if (IsCheckColumn(column)) {
    if (role != Qt::CheckStateRole || !(itemFlags & Qt::ItemIsUserCheckable)) return false;
    number = WholeNumber(value);
    if (!number || (*number != Qt::Checked && *number != Qt::Unchecked)) return false;
    number = *number == Qt::Checked ? 1 : 0;
  } else {
    if (role != Qt::EditRole || !(itemFlags & Qt::ItemIsEditable)) return false;
    number = WholeNumber(value);
    const std::uint8_t kind = KindOfRow(index.row());
    if (!number || !UnitFieldRange(kind, kColumns[column].field)->Contains(*number)) return false;
  }
  const std::uint8_t kind = KindOfRow(index.row());
  const int i = UnitOfRow(index.row());
  TUnitTemplate unit;
  document_.Store().GetUnit(kind, i, unit);
  SetValue(unit, column, *number);
  document_.EditUnit(kind, i, unit,
                     QStringLiteral("Edit %1 of %2")
                         .arg(QString::fromLatin1(kColumns[column].header), UnitName(kind, i)));
  return true;
}
