#include "csvtext.h"

using namespace Qt::Literals::StringLiterals;

std::optional<std::vector<CsvRow>> ParseCsv(const QString& text, QString& error) {
  std::vector<CsvRow> rows;
  CsvRow row;
  QString cell;
  int line = 1;
  row.line = 1;
  bool quoted = false;      // inside a quoted cell
  bool afterQuote = false;  // a quoted cell has closed; only a separator may follow
  bool rowHasText = false;

  const auto endCell = [&] {
    row.cells << cell;
    cell.clear();
    afterQuote = false;
  };
  const auto endRow = [&] {
    endCell();
    if (rowHasText) rows.push_back(row);
    row = CsvRow{};
    row.line = line;
    rowHasText = false;
  };

  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"') {
        if (i + 1 < text.size() && text[i + 1] == u'"') {
          cell += u'"';
          ++i;
        } else {
          quoted = false;
          afterQuote = true;
        }
      } else {
        // A line break inside a quoted cell still counts, whichever kind it is.
        if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) ++line;
        cell += c;
      }
      continue;
    }
    if (c == u',') {
      endCell();
      rowHasText = true;
    } else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      ++line;
      endRow();
    } else if (afterQuote) {
      error = u"line %1: text after a closing quote"_s.arg(line);
      return std::nullopt;
    } else if (c == u'"') {
      if (!cell.isEmpty()) {
        error = u"line %1: a quote inside a cell that does not begin with one"_s.arg(line);
        return std::nullopt;
      }
      quoted = true;
      rowHasText = true;
    } else {
      cell += c;
      rowHasText = true;
    }
  }
  if (quoted) {
    error = u"line %1: a quoted cell is never closed"_s.arg(row.line);
    return std::nullopt;
  }
  endRow();
  return rows;
}

QString CsvLine(const QStringList& cells) {
  QStringList out;
  for (const QString& cell : cells) {
    const bool needsQuotes =
        cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r');
    out << (needsQuotes ? u'"' + QString(cell).replace(u"\""_s, u"\"\""_s) + u'"' : cell);
  }
  return out.join(u',') + u"\r\n"_s;
}
