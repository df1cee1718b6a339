#pragma once

#include "fieldranges.h"
#include "modtext.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <cstdint>
#include <optional>
#include <vector>

class TUnitDocument;

// Every unit in one table: the 7 infantry, then the 21 vehicles, one row each, and one column
// for each value a settings window edits; on request, more columns for the decoded fields no
// window shows, which are read here but never changed. It holds nothing of its own: it reads the
// document's store and sends each edit to the document as one step that can be undone, held to
// the same ranges as the settings windows' controls. Numbers come as numbers in the display and
// edit roles, so a sorting proxy orders 9 before 10; the yes/no values are check boxes.
//
// Each value is compared with two others: the file's, as last read or written (a value saved
// but not applied), and the original, the game as it was before any change (its backup).
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
    ColumnCount  // the columns the settings windows edit; the decoded fields follow
  };
  // Every cell's value as a number, check boxes included, for sorting by any column.
  static constexpr int SortRole = Qt::UserRole;
  // True when the value differs from the file's: saved here, not yet applied.
  static constexpr int UnappliedRole = Qt::UserRole + 1;
  // The original value as a number when it differs from the present one; nothing otherwise.
  static constexpr int OriginalRole = Qt::UserRole + 2;

  explicit TUnitsTableModel(TUnitDocument& document, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The decoded fields no window shows, as more columns after the edited ones (read only).
  void SetShowAllFields(bool on);
  bool ShowAllFields() const { return showAll_; }

  // The game's records before any change, or nothing when there is no backup to tell them.
  void SetOriginals(const std::optional<UnitRecords>& originals);
  bool HasOriginals() const { return originals_.has_value(); }

  // The unit shown in `row`: its kind (ukInfantry or ukVehicle) and its number within the kind.
  static std::uint8_t KindOfRow(int row);
  static int UnitOfRow(int row);
  static int RowOf(std::uint8_t kind, int unit);
  // Whether `column` is shown as a check box rather than a number.
  static bool IsCheckColumn(int column);
  // Whether the table changes the values of `column` (the edited ones) at all.
  static bool IsEditedColumn(int column);
  // Whether row's values can be changed now: its kind has been read.
  bool RowEditable(int row) const;

  // The value of a cell as a number; a check box is 0 or 1.
  std::int64_t Value(int row, int column) const;
  // The original value, when there are originals.
  std::optional<std::int64_t> OriginalValue(int row, int column) const;
  // The values one cell may be given.
  FieldRange Range(int row, int column) const;

  // How many edited values differ from the originals (or, without them, from the file), and how
  // many differ from the file.
  int ChangedCount() const;
  int UnappliedCount() const;

  // New values for cells, already checked against their ranges: one step that can be undone,
  // called `step`. Cells of read-only columns and unread rows are left out.
  struct CellValue {
    int row;
    int column;
    std::int64_t value;
  };
  void SetValues(const std::vector<CellValue>& values, const QString& step);

 signals:
  // The counts above may have changed.
  void CountsChanged();

 private:
  TUnitTemplate Unit(int row) const;
  TUnitTemplate FileUnit(int row) const;
  const QIcon& RowIcon(int row) const;

  TUnitDocument& document_;
  bool showAll_ = false;
  std::optional<UnitRecords> originals_;
  mutable std::vector<std::optional<QIcon>> icons_;
};
