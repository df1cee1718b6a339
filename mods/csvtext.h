#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Comma-separated text as spreadsheets write it (RFC 4180): a cell holding a comma, a quote or a
// line break is quoted, a quote inside is doubled, rows end in CRLF, LF or CR.

struct CsvRow {
  int line = 0;  // the line the row begins on, counted from 1
  QStringList cells;
};

// The rows of `text`; blank lines are skipped. Gives nothing and sets `error` (naming the line)
// for a quote left open or text between a closing quote and the next comma.
std::optional<std::vector<CsvRow>> ParseCsv(const QString& text, QString& error);

// One row, quoting only the cells that need it, ended by CRLF.
QString CsvLine(const QStringList& cells);
