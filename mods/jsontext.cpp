#include "jsontext.h"

#include <QHash>

#include <vector>

namespace {

// The character that a backslash and `e` stand for in a string.
char Unescaped(char e) {
  switch (e) {
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return e;  // a quote, a backslash or a slash
  }
}

// The byte at `at` ends a line: an LF, or a CR that no LF follows (the CR of a CRLF is not
// counted, its LF is).
bool EndsLine(const QByteArray& text, qsizetype at) {
  return text[at] == '\n' || (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'));
}

// The text of the string whose opening quote is at `at`; leaves `at` on its closing quote.
// The JSON reader has taken the text, so every escape is whole and the string is closed.
QString ReadString(const QByteArray& json, qsizetype& at) {
  QString text;
  qsizetype run = ++at;  // the start of the bytes not yet taken
  for (; at < json.size() && json[at] != '"'; ++at) {
    if (json[at] != '\\') continue;
    text += QString::fromUtf8(json.constData() + run, at - run);
    if (++at >= json.size()) return text;
    const char e = json[at];
    if (e == 'u') {
      // A pair of \u escapes for one character decodes as one: the halves join in QString.
      text += QChar(char16_t(json.mid(at + 1, 4).toUShort(nullptr, 16)));
      at += 4;
    } else {
      text += QChar(Unescaped(e));
    }
    run = at + 1;
  }
  text += QString::fromUtf8(json.constData() + run, at - run);
  return text;
}

bool IsJsonBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

int LineAt(const QByteArray& text, qsizetype offset) {
  int line = 1;
  for (qsizetype at = 0; at < offset && at < text.size(); ++at) {
    if (EndsLine(text, at)) ++line;
  }
  return line;
}

std::optional<RepeatedKey> FirstRepeatedKey(const QByteArray& json) {
  // One entry per open object or array: the keys an object gave so far, with their lines.
  struct Open {
    bool object = false;
    QHash<QString, int> keys;
  };
  std::vector<Open> open;
  int line = 1;
  for (qsizetype at = 0; at < json.size(); ++at) {
    const char c = json[at];
    if (EndsLine(json, at)) {
      ++line;
    } else if (c == '{' || c == '[') {
      open.push_back({c == '{', {}});
    } else if ((c == '}' || c == ']') && !open.empty()) {
      open.pop_back();
    } else if (c == '"') {
      const QString text = ReadString(json, at);
      qsizetype next = at + 1;
      while (next < json.size() && IsJsonBlank(json[next])) ++next;
      // A string in an object that a colon follows is a key; other strings are values.
      if (open.empty() || !open.back().object || next >= json.size() || json[next] != ':') continue;
      const QString key = text.trimmed().toCaseFolded();
      QHash<QString, int>& keys = open.back().keys;
      if (const auto first = keys.constFind(key); first != keys.cend())
        return RepeatedKey{text, first.value(), line};
      keys.insert(key, line);
    }
  }
  return std::nullopt;
}
