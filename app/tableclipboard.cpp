#include "tableclipboard.h"

#include "unitfields.h"

#include <QRegularExpression>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kUnitHeader = u"Unit"_s;

QString Header(const TUnitsTableModel& model, int column) {
  return model.headerData(column, Qt::Horizontal).toString();
}
QString RowName(const TUnitsTableModel& model, int row) {
  return model.headerData(row, Qt::Vertical).toString();
}

// A cell as it is copied: what the view shows, check boxes as spreadsheets write them.
QString CellText(const TUnitsTableModel& model, int row, int column) {
  if (TUnitsTableModel::IsCheckColumn(column)) {
    return model.Value(row, column) ? u"TRUE"_s : u"FALSE"_s;
  }
  return model.data(model.index(row, column)).toString();
}

std::optional<bool> Truth(const QString& text) {
  for (const char* yes : {"TRUE", "YES", "1"}) {
    if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return true;
  }
  for (const char* no : {"FALSE", "NO", "0"}) {
    if (text.compare(QLatin1String(no), Qt::CaseInsensitive) == 0) return false;
  }
  return std::nullopt;
}

// A whole number as a spreadsheet may show it: "1500", "1,500", "1500.00".
std::optional<std::int64_t> SheetNumber(QString text) {
  static const QRegularExpression grouped(u"^[+-]?\\d{1,3}(,\\d{3})+(\\.0*)?$"_s);
  static const QRegularExpression zeroFraction(u"\\.0*$"_s);
  if (grouped.match(text).hasMatch()) text.remove(u',');
  text.remove(zeroFraction);
  bool ok = false;
  const std::int64_t value = text.toLongLong(&ok);
  return ok ? std::optional(value) : std::nullopt;
}

// The value `text` gives the cell, or nothing with the reason in `error`.
std::optional<std::int64_t> CellValue(const TUnitsTableModel& model, int row, int column,
                                      const QString& pasted, QString& error) {
  const QString text = pasted.trimmed();
  const QString cell = u"%1, %2"_s.arg(RowName(model, row), Header(model, column));
  if (!TUnitsTableModel::IsEditedColumn(column) || !model.RowEditable(row)) {
    // What cannot change here may come back as it went out.
    if (text == CellText(model, row, column)) return model.Value(row, column);
    error = u"%1 cannot be changed here"_s.arg(cell);
    return std::nullopt;
  }
  if (TUnitsTableModel::IsCheckColumn(column)) {
    const std::optional<bool> on = Truth(text);
    if (!on) error = u"%1: \"%2\" is neither TRUE nor FALSE"_s.arg(cell, text);
    return on ? std::optional<std::int64_t>(*on) : std::nullopt;
  }
  const std::optional<std::int64_t> value = SheetNumber(text);
  if (!value) {
    error = u"%1: \"%2\" is not a whole number"_s.arg(cell, text);
    return std::nullopt;
  }
  const FieldRange range = model.Range(row, column);
  if (!range.Contains(*value)) {
    error = u"%1: %2 is outside the field's range %3..%4"_s.arg(cell, text)
                .arg(range.min)
                .arg(range.max);
    return std::nullopt;
  }
  return value;
}

int FindRow(const TUnitsTableModel& model, const QString& name) {
  for (int row = 0; row < model.rowCount(); ++row) {
    if (RowName(model, row).compare(name.trimmed(), Qt::CaseInsensitive) == 0) return row;
  }
  return -1;
}

// -1 for no such column; -2 for a field the table does not show now, whose cells are skipped.
int FindColumn(const TUnitsTableModel& model, const QString& header) {
  for (int column = 0; column < model.columnCount(); ++column) {
    if (Header(model, column).compare(header.trimmed(), Qt::CaseInsensitive) == 0) return column;
  }
  return UnitFields::Names().contains(header.trimmed(), Qt::CaseInsensitive) ? -2 : -1;
}

bool IsHeaderRow(const TUnitsTableModel& model, const QStringList& cells) {
  if (cells.isEmpty()) return false;
  if (cells.front().trimmed().compare(kUnitHeader, Qt::CaseInsensitive) == 0) return true;
  for (const QString& cell : cells) {
    if (FindColumn(model, cell) == -1) return false;
  }
  return true;
}

template <typename F>
QString Lines(const TUnitsTableModel& model, const CellArea& cells, F row) {
  QString text;
  QStringList header{kUnitHeader};
  for (int column : cells.columns) header << Header(model, column);
  text += row(header, true);
  for (int r : cells.rows) {
    QStringList line{RowName(model, r)};
    for (int column : cells.columns) line << CellText(model, r, column);
    text += row(line, false);
  }
  return text;
}

}  // namespace

QString CellsAsTabText(const TUnitsTableModel& model, const CellArea& cells) {
  return Lines(model, cells,
               [](const QStringList& line, bool) { return line.join(u'\t') + u"\r\n"_s; });
}

QString CellsAsHtml(const TUnitsTableModel& model, const CellArea& cells) {
  const QString rows = Lines(model, cells, [](const QStringList& line, bool header) {
    const QString tag = header ? u"th"_s : u"td"_s;
    QString html = u"<tr>"_s;
    for (const QString& cell : line) {
      html += u"<%1>%2</%1>"_s.arg(tag, cell.toHtmlEscaped());
    }
    return html + u"</tr>\n"_s;
  });
  return u"<html><body>\n<table>\n"_s + rows + u"</table>\n</body></html>\n"_s;
}

QList<QStringList> ParseTabText(const QString& text) {
  QList<QStringList> lines;
  QStringList line;
  QString cell;
  bool quoted = false;
  bool cellStarted = false;
  const auto endCell = [&] {
    line << cell;
    cell.clear();
    cellStarted = false;
  };
  const auto endLine = [&] {
    endCell();
    lines << line;
    line.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c != u'"') {
        cell += c;
      } else if (i + 1 < text.size() && text[i + 1] == u'"') {
        cell += c;
        ++i;
      } else {
        quoted = false;
      }
      continue;
    }
    if (c == u'"' && !cellStarted) {
      quoted = true;
      cellStarted = true;
    } else if (c == u'\t') {
      endCell();
    } else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      endLine();
    } else {
      cell += c;
      cellStarted = true;
    }
  }
  // The last line needs no line break; a break after it makes no line of its own.
  if (cellStarted || !cell.isEmpty() || !line.isEmpty()) endLine();
  return lines;
}

PastePlan PlanPaste(const TUnitsTableModel& model, const QList<QStringList>& pasted,
                    const CellArea& selected, const CellArea& table) {
  PastePlan plan;
  if (pasted.isEmpty() || selected.rows.empty() || selected.columns.empty()) {
    plan.error = u"There is nothing to paste"_s;
    return plan;
  }
  QList<QStringList> lines = pasted;
  // Columns by their headers when the text has a header row, from the selection on otherwise.
  std::vector<int> columns;
  bool named = false;
  if (IsHeaderRow(model, lines.front())) {
    const QStringList header = lines.takeFirst();
    named = header.front().trimmed().compare(kUnitHeader, Qt::CaseInsensitive) == 0;
    for (qsizetype i = named ? 1 : 0; i < header.size(); ++i) {
      const int column = FindColumn(model, header[i]);
      if (column == -1) {
        plan.error = u"No column is called \"%1\""_s.arg(header[i].trimmed());
        return plan;
      }
      columns.push_back(column);
    }
  }
  if (lines.isEmpty()) {
    plan.error = u"There is nothing to paste"_s;
    return plan;
  }
  if (!named) {
    named = std::all_of(lines.begin(), lines.end(),
                        [&](const QStringList& line) { return FindRow(model, line.front()) >= 0; });
  }
  const auto positionIn = [](const std::vector<int>& order, int item) {
    return int(std::find(order.begin(), order.end(), item) - order.begin());
  };
  const int firstRow = positionIn(table.rows, selected.rows.front());
  const int firstColumn = positionIn(table.columns, selected.columns.front());
  const int width = int(lines.front().size()) - (named ? 1 : 0);
  if (columns.empty()) {
    for (int i = 0; i < width; ++i) {
      if (firstColumn + i >= int(table.columns.size())) {
        plan.error = u"The pasted cells reach beyond the table's last column"_s;
        return plan;
      }
      columns.push_back(table.columns[size_t(firstColumn + i)]);
    }
  }
  // Rows from the selection's first on; one value pasted onto many cells goes into each of
  // them, as spreadsheets do.
  std::vector<int> rows(table.rows.begin() + firstRow, table.rows.end());
  if (!named && lines.size() == 1 && width == 1 &&
      selected.rows.size() * selected.columns.size() > 1) {
    const QString value = lines.front().front();
    lines = QList<QStringList>(qsizetype(selected.rows.size()),
                               QStringList(qsizetype(selected.columns.size()), value));
    rows = selected.rows;
    columns = selected.columns;
  }
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QStringList& line = lines[i];
    int row = -1;
    if (named) {
      row = FindRow(model, line.front());
      if (row < 0) {
        plan.error = u"No unit is called \"%1\""_s.arg(line.front().trimmed());
        return plan;
      }
    } else if (i < qsizetype(rows.size())) {
      row = rows[size_t(i)];
    } else {
      plan.error = u"The pasted cells reach beyond the table's last row"_s;
      return plan;
    }
    const QStringList cells = line.mid(named ? 1 : 0);
    if (cells.size() != qsizetype(columns.size())) {
      plan.error = u"Line %1 of the pasted text has %2 cells where the first has %3"_s.arg(i + 1)
                       .arg(cells.size())
                       .arg(columns.size());
      return plan;
    }
    for (qsizetype c = 0; c < cells.size(); ++c) {
      const int column = columns[size_t(c)];
      if (column < 0) continue;
      const std::optional<std::int64_t> value = CellValue(model, row, column, cells[c], plan.error);
      if (!value) return plan;
      if (TUnitsTableModel::IsEditedColumn(column)) plan.values.push_back({row, column, *value});
    }
  }
  return plan;
}
