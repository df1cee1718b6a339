#pragma once

#include <QAbstractTableModel>

#include <cstdint>

class TUnitDocument;

// Every unit in one table: the 7 infantry, then the 21 vehicles, one row each, and one column
// for each value a settings window edits. It holds nothing of its own: it reads the document's
// store and sends each edit to the document as one step that can be undone, held to the same
// ranges as the settings windows' controls. Numbers come as numbers in the display and edit
// roles, so a sorting proxy orders 9 before 10; the yes/no values are check boxes.
class TUnitsTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    ColHealth,
    ColCost,
    ColBuildSpeed,
    ColFireSpeed,
    ColArmor,
    ColRateOfTurn,
    ColSight,
    ColInaccurate,
    ColSelfHeal,
    ColAtreides,
    ColOrdos,
    ColHarkonnen,
    ColumnCount
  };
  // Every cell's value as a number, check boxes included, for sorting by any column.
  static constexpr int SortRole = Qt::UserRole;

  explicit TUnitsTableModel(TUnitDocument& document, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The unit shown in `row`: its kind (ukInfantry or ukVehicle) and its number within the kind.
  static std::uint8_t KindOfRow(int row);
  static int UnitOfRow(int row);
  static int RowOf(std::uint8_t kind, int unit);
  // Whether `column` is shown as a check box rather than a number.
  static bool IsCheckColumn(int column);

 private:
  TUnitDocument& document_;
};
