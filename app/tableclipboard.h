#pragma once

#include "unitstablemodel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Cells of the units table going to and from a spreadsheet through the clipboard.

// Part of the table as the view shows it: model rows and columns, in the view's order.
struct CellArea {
  std::vector<int> rows;
  std::vector<int> columns;
};

// The cells as tab-separated text: a header row ("Unit" and the column headers), then one line
// per row beginning with the unit's name. Check boxes are TRUE or FALSE, as spreadsheets write
// them. Lines end in CRLF, as spreadsheets put them on the clipboard.
QString CellsAsTabText(const TUnitsTableModel& model, const CellArea& cells);
// The same as an HTML table, so a spreadsheet keeps the columns apart.
QString CellsAsHtml(const TUnitsTableModel& model, const CellArea& cells);

// Tab-separated text as spreadsheets put it on the clipboard: lines ending in CRLF, LF or CR,
// cells in double quotes (with "" for a quote) where they hold a tab, a line break or a quote.
// The line break after the last line is no line of its own.
QList<QStringList> ParseTabText(const QString& text);

// Where pasted cells go and what they become: every cell checked before any is changed.
struct PastePlan {
  std::vector<TUnitsTableModel::CellValue> values;
  QString error;  // the first cell that cannot be pasted; empty when all can
};

// Cells pasted onto the selection `selected`, within `table` (every row and column the view
// shows, in its order). With a header row, columns are found by their headers; with the units'
// names first in each line, rows by their names; otherwise the cells are laid from the
// selection's first cell on, and one cell pasted onto many fills them all. A cell of a column the
// table does not change must hold the value it has.
PastePlan PlanPaste(const TUnitsTableModel& model, const QList<QStringList>& cells,
                    const CellArea& selected, const CellArea& table);
