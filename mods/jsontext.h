#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What Qt's JSON reader does not tell: where a place in the text lies, and whether an object
// names a key twice (the reader keeps one value of the two without a word).

// The line of the byte at `offset`, counted from 1; a line ends in LF, CR or CRLF.
int LineAt(const QByteArray& text, qsizetype offset);

// A key given twice in one object, and the lines of both.
struct RepeatedKey {
  QString key;
  int firstLine = 0;
  int line = 0;
};

// The first key that an object of `json` (text the JSON reader took) gives twice. Keys are
// compared as the mod files read them: without regard to letter case or blanks around them,
// escapes decoded ("Armor", "armor" and "\u0041rmor" are one key).
std::optional<RepeatedKey> FirstRepeatedKey(const QByteArray& json);
