#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Fills "%s" and "%d" in a string-table text from left to right with the given values; "%%"
// stands for a percent sign. Texts from the table keep their C-style placeholders, so they
// read exactly as the user sees them.
QString Format(const QString& pattern, const QStringList& values);

// Text in Windows-1252, the ANSI code page of western Windows: Latin-1 but for the bytes 0x80 to
// 0x9F, which hold typographic quotes, dashes, the euro and trade marks. The five bytes it
// leaves undefined stand for themselves, as the system's own conversion has them.
QString FromWindows1252(QByteArrayView bytes);
