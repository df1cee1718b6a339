#pragma once

#include <QString>
#include <QStringList>

// Fills "%s" and "%d" in a string-table text from left to right with the given values; "%%"
// stands for a percent sign. Texts from the table keep their C-style placeholders, so they
// read exactly as the user sees them.
QString Format(const QString& pattern, const QStringList& values);
