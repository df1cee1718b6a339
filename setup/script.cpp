#include "script.h"

#include "textformat.h"

#include <QStringDecoder>

#include <algorithm>
#include <climits>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#endif

quint32 ReadDecimal(QStringView text) {
  quint64 value = 0;
  for (const QChar c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + static_cast<quint64>(c.unicode() - u'0');
    if (value > std::numeric_limits<quint32>::max()) return std::numeric_limits<quint32>::max();
  }
  return static_cast<quint32>(value);
}

bool IsCommandLetter(QChar c) {
  switch (c.unicode()) {
    case u'C':
    case u'D':
    case u'E':
    case u'I':
    case u'L':
    case u'M':
    case u'R':
    case u'S':
    case u'X':
      return true;
    default:
      return false;
  }
}

namespace {

bool HasCommandForm(QStringView command) {
  qsizetype at = 0;
  if (!command.isEmpty() && (command[0] == u'o' || command[0] == u'u')) at = 1;
  return command.size() >= at + 2 && IsCommandLetter(command[at]) && command[at + 1] == u':';
}

}  // namespace

std::optional<InstallScript> ParseScript(QStringView text) {
  InstallScript script;
  int strings = 0;
  qsizetype at = 0;
  while (at < text.size() && text[at] != QChar(0) && script.commands.size() < kMaxCommands) {
    if (text[at] != u'"') {
      ++at;
      continue;
    }
    // A string runs to the next quote; one still open at the end of the text is dropped.
    qsizetype end = at + 1;
    while (end < text.size() && text[end] != u'"' && text[end] != QChar(0)) ++end;
    if (end >= text.size() || text[end] != u'"') break;
    const QStringView string = text.mid(at + 1, end - at - 1);
    at = end + 1;

    switch (strings++) {
      case 0:
        script.productName = string.left(kMaxProductName).toString();
        break;
      case 1:
        script.defaultLocation = string.left(kMaxLocation).toString();
        break;
      case 2:
        script.requiredSpace = ReadDecimal(string);
        break;
      case 3:
        script.markerFile = string.left(kMaxMarker).toString();
        break;
      default: {
        const QStringView command = string.left(kMaxCommand);
        if (!HasCommandForm(command)) return std::nullopt;
        script.commands << command.toString();
      }
    }
  }
  if (strings < 5) return std::nullopt;
  return script;
}

#ifdef _WIN32

QString DecodeScriptText(QByteArrayView bytes) {
  // Scripts are written in the system's ANSI code page, and that is how they are read.
  const int size = static_cast<int>(std::min<qsizetype>(bytes.size(), INT_MAX));
  if (size == 0) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return QString::fromLatin1(bytes);
  QString text(length, Qt::Uninitialized);
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                      length);
  return text;
}

#else

QString DecodeScriptText(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return FromWindows1252(bytes);
}

#endif
