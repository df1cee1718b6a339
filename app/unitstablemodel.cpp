#include "unitstablemodel.h"

#include "fieldranges.h"
#include "stringtable.h"
#include "templatestore.h"
#include "unitdocument.h"
#include "unitfields.h"

#include <QImage>
#include <QPixmap>

#include <QFont>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Headers in the settings windows' wording; the field names are the field table's. A house
// column is one bit of Owners.
struct ColumnInfo {
  const char* header;
  const char* field;
  int house;  // -1, or the House whose bit of Owners the column shows
};
constexpr ColumnInfo kColumns[TUnitsTableModel::ColumnCount] = {
    {"Health", "Health", -1},
    {"Cost", "Cost", -1},
    {"Build Speed", "BuildSpeed", -1},
    {"Firing Speed", "FireSpeed", -1},
    {"Armor", "Armor", -1},
    {"Rate Of Turn", "RateOfTurn", -1},
    {"Sight", "Sight", -1},
    {"Inaccurate", "Inaccurate", -1},
    {"Self Healing", "SelfHeal", -1},
    {"Atreides", "Owners", hAtreides},
    {"Ordos", "Owners", hOrdos},
    {"Harkonnen", "Owners", hHarkonnen},
};

// The decoded fields that no column above shows, in record order.
const QStringList& ExtraFields() {
  static const QStringList extra = [] {
    QStringList names = UnitFields::Names();
    for (const ColumnInfo& column : kColumns) names.removeAll(QString::fromLatin1(column.field));
    return names;
  }();
  return extra;
}

QString FieldOf(int column) {
  return column < TUnitsTableModel::ColumnCount
             ? QString::fromLatin1(kColumns[column].field)
             : ExtraFields().value(column - TUnitsTableModel::ColumnCount);
}

std::int64_t ValueIn(const TUnitTemplate& unit, int column) {
  if (column < TUnitsTableModel::ColumnCount && kColumns[column].house >= 0) {
    return unit.HasOwner(House(kColumns[column].house));
  }
  return UnitFields::Value(unit, FieldOf(column)).value_or(0);
}

void SetValueIn(TUnitTemplate& unit, int column, std::int64_t value) {
  if (kColumns[column].house >= 0) {
    unit.SetOwner(House(kColumns[column].house), value != 0);
  } else {
    UnitFields::SetValue(unit, FieldOf(column), value);
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
    : QAbstractTableModel(parent), document_(document), icons_(InfantryCount + VehicleCount) {
  const auto wholeTable = [this] {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit CountsChanged();
  };
  connect(&document_, &TUnitDocument::UnitChanged, this, [this](std::uint8_t kind, int unit) {
    const int row = RowOf(kind, unit);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit CountsChanged();
  });
  // After Apply the file holds what was only saved before: no value is unapplied any more.
  connect(&document_, &TUnitDocument::Applied, this, wholeTable);
  connect(&document_, &TUnitDocument::Reloaded, this, [this] {
    beginResetModel();
    icons_.assign(icons_.size(), std::nullopt);  // the game folder may be another one now
    endResetModel();
    emit CountsChanged();
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
  return column >= ColInaccurate && column < ColumnCount;
}
bool TUnitsTableModel::IsEditedColumn(int column) {
  return column >= 0 && column < ColumnCount;
}
bool TUnitsTableModel::RowEditable(int row) const {
  return document_.Store().UnitsLoaded(KindOfRow(row));
}

int TUnitsTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : InfantryCount + VehicleCount;
}
int TUnitsTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return ColumnCount + (showAll_ ? int(ExtraFields().size()) : 0);
}

void TUnitsTableModel::SetShowAllFields(bool on) {
  if (on == showAll_) return;
  const int first = ColumnCount;
  const int last = ColumnCount + int(ExtraFields().size()) - 1;
  if (on) {
    beginInsertColumns(QModelIndex(), first, last);
    showAll_ = true;
    endInsertColumns();
  } else {
    beginRemoveColumns(QModelIndex(), first, last);
    showAll_ = false;
    endRemoveColumns();
  }
}

void TUnitsTableModel::SetOriginals(const std::optional<UnitRecords>& originals) {
  originals_ = originals;
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  emit CountsChanged();
}

TUnitTemplate TUnitsTableModel::Unit(int row) const {
  TUnitTemplate unit;
  document_.Store().GetUnit(KindOfRow(row), UnitOfRow(row), unit);
  return unit;
}

TUnitTemplate TUnitsTableModel::FileUnit(int row) const {
  TUnitTemplate unit;
  DecodeRecord(unit, document_.Store().FileBytes(KindOfRow(row), UnitOfRow(row)).data());
  return unit;
}

std::int64_t TUnitsTableModel::Value(int row, int column) const {
  return ValueIn(Unit(row), column);
}

std::optional<std::int64_t> TUnitsTableModel::OriginalValue(int row, int column) const {
  if (!originals_) return std::nullopt;
  return ValueIn((*originals_)[size_t(row)], column);
}

FieldRange TUnitsTableModel::Range(int row, int column) const {
  if (column < ColumnCount && kColumns[column].house >= 0) return FieldRange{0, 1};
  return UnitFieldRange(KindOfRow(row), FieldOf(column)).value_or(FieldRange{});
}

int TUnitsTableModel::ChangedCount() const {
  int changed = 0;
  for (int row = 0; row < rowCount(); ++row) {
    if (!RowEditable(row)) continue;
    const TUnitTemplate unit = Unit(row);
    const TUnitTemplate before = originals_ ? (*originals_)[size_t(row)] : FileUnit(row);
    for (int column = 0; column < ColumnCount; ++column) {
      changed += ValueIn(unit, column) != ValueIn(before, column);
    }
  }
  return changed;
}

int TUnitsTableModel::UnappliedCount() const {
  int unapplied = 0;
  for (int row = 0; row < rowCount(); ++row) {
    if (!RowEditable(row)) continue;
    const TUnitTemplate unit = Unit(row);
    const TUnitTemplate file = FileUnit(row);
    for (int column = 0; column < ColumnCount; ++column) {
      unapplied += ValueIn(unit, column) != ValueIn(file, column);
    }
  }
  return unapplied;
}

const QIcon& TUnitsTableModel::RowIcon(int row) const {
  std::optional<QIcon>& icon = icons_[size_t(row)];
  if (!icon) {
    // The vehicles' pictures as the vehicle window's unit menu shows them; infantry have none.
    QImage small;
    TDune2kFile& store = document_.Store();
    const auto vehicle = std::uint8_t(UnitOfRow(row));
    const bool found = KindOfRow(row) == ukVehicle &&
                       store.LoadVehiclePicture(ukVehicle, vehicle, false, nullptr) &&
                       store.LoadVehiclePicture(ukVehicle, vehicle, true, &small);
    icon = found ? QIcon(QPixmap::fromImage(small)) : QIcon();
  }
  return *icon;
}

QVariant TUnitsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this) return {};
  const int row = index.row();
  const int column = index.column();
  const TUnitTemplate unit = Unit(row);
  const std::int64_t value = ValueIn(unit, column);
  const bool marked = IsEditedColumn(column) && RowEditable(row);
  switch (role) {
    case SortRole:
      return qlonglong(value);
    case UnappliedRole:
      return marked && value != ValueIn(FileUnit(row), column);
    case OriginalRole: {
      const std::optional<std::int64_t> original = OriginalValue(row, column);
      if (!marked || !original || *original == value) return {};
      return qlonglong(*original);
    }
    case Qt::FontRole: {
      if (!data(index, UnappliedRole).toBool()) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    case Qt::ToolTipRole: {
      QStringList tip;
      const QVariant original = data(index, OriginalRole);
      if (original.isValid()) {
        tip << (IsCheckColumn(column)
                    ? QStringLiteral("Original: %1")
                          .arg(original.toLongLong() ? QStringLiteral("Yes") : QStringLiteral("No"))
                    : QStringLiteral("Original: %1").arg(original.toLongLong()));
      }
      if (data(index, UnappliedRole).toBool()) tip << QStringLiteral("Saved, Not Yet Applied");
      return tip.isEmpty() ? QVariant() : QVariant(tip.join(u'\n'));
    }
    default:
      break;
  }
  if (IsCheckColumn(column)) {
    if (role == Qt::CheckStateRole) return value ? Qt::Checked : Qt::Unchecked;
    return {};
  }
  if (role == Qt::DisplayRole && column >= ColumnCount)
    return UnitFields::Text(unit, FieldOf(column));
  if (role == Qt::DisplayRole || role == Qt::EditRole) return qlonglong(value);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TUnitsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (section < 0) return {};
  if (orientation == Qt::Horizontal) {
    if (role != Qt::DisplayRole || section >= columnCount()) return {};
    return section < ColumnCount ? QString::fromLatin1(kColumns[section].header) : FieldOf(section);
  }
  if (section >= rowCount()) return {};
  if (role == Qt::DisplayRole) return UnitName(KindOfRow(section), UnitOfRow(section));
  if (role == Qt::DecorationRole) {
    const QIcon& icon = RowIcon(section);
    return icon.isNull() ? QVariant() : QVariant(icon);
  }
  return {};
}

Qt::ItemFlags TUnitsTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  // Units that could not be read hold no game's values: they are shown, never changed.
  if (!IsEditedColumn(index.column()) || !RowEditable(index.row())) return flags;
  return flags | (IsCheckColumn(index.column()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

bool TUnitsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.model() != this) return false;
  const int column = index.column();
  const Qt::ItemFlags itemFlags = flags(index);
  std::optional<std::int64_t> number = WholeNumber(value);
  if (IsCheckColumn(column)) {
    if (role != Qt::CheckStateRole || !(itemFlags & Qt::ItemIsUserCheckable)) return false;
    if (!number || (*number != Qt::Checked && *number != Qt::Unchecked)) return false;
    number = *number == Qt::Checked ? 1 : 0;
  } else {
    if (role != Qt::EditRole || !(itemFlags & Qt::ItemIsEditable)) return false;
    if (!number || !Range(index.row(), column).Contains(*number)) return false;
  }
  const int row = index.row();
  SetValues({{row, column, *number}}, QStringLiteral("Edit %1 of %2")
                                          .arg(QString::fromLatin1(kColumns[column].header),
                                               UnitName(KindOfRow(row), UnitOfRow(row))));
  return true;
}

void TUnitsTableModel::SetValues(const std::vector<CellValue>& values, const QString& step) {
  // One edit per unit, however many of its cells change.
  std::vector<TUnitDocument::UnitEdit> edits;
  std::vector<int> rowOfEdit;
  for (const CellValue& cell : values) {
    if (!IsEditedColumn(cell.column) || !RowEditable(cell.row)) continue;
    auto at = std::find(rowOfEdit.begin(), rowOfEdit.end(), cell.row);
    if (at == rowOfEdit.end()) {
      edits.push_back({KindOfRow(cell.row), UnitOfRow(cell.row), Unit(cell.row)});
      rowOfEdit.push_back(cell.row);
      at = rowOfEdit.end() - 1;
    }
    SetValueIn(edits[size_t(at - rowOfEdit.begin())].record, cell.column, cell.value);
  }
  document_.EditUnits(edits, step);
}
