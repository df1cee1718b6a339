#pragma once

#include "modtext.h"

#include <QMdiSubWindow>
#include <QModelIndexList>

#include <cstdint>
#include <functional>
#include <set>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QMdiArea;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class TUnitsTableModel;
struct CellArea;

// All 28 units side by side in one child window of the frame: one row per unit, one column per
// value the settings windows edit, sortable by any column. Values are edited in place, many at
// once ("+20%" typed over a column's selected cells), copied to and pasted from spreadsheets,
// and put back to their originals (the backup's). Every change is one step of the document's
// history; values saved but not applied are bold, values that differ from the backup marked.
class TF_UnitsTable : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit TF_UnitsTable(QMdiArea* frame);
  ~TF_UnitsTable() override;

  TUnitsTableModel* Model() const { return model_; }
  QTableView* Table() const { return table_; }

  // Reads the backup again: after a backup, a restore or a change of folders.
  void RefreshOriginals();

  // The commands of the window, also on its context menu.
  void CopyCells();
  void PasteCells();
  void RevertToOriginal();
  // What was typed into the cell at `index` of the view: into every selected cell of its
  // column when the selection lies in that column alone, else into that cell.
  void EnterText(const QModelIndex& index, const QString& text);

 private:
  void BuildForm();
  // Reads the kinds of unit not read yet, but those in `readElsewhere`.
  void LoadUnits(const std::set<std::uint8_t>& readElsewhere = {});
  void ShowCounts();
  void ShowNote(const QString& note);
  CellArea SelectedArea() const;
  CellArea WholeArea() const;
  QModelIndexList SelectedCells() const;
  QSize DefaultSize() const;

  TUnitsTableModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  QTableView* table_ = nullptr;
  QCheckBox* allFields_ = nullptr;
  QPushButton* revert_ = nullptr;
  QLabel* counts_ = nullptr;
  QLabel* note_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* paste_ = nullptr;
  QAction* revertAction_ = nullptr;
};
