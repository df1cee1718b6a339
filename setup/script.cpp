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

// The line on which position `at` of the text lies.
int LineOf(QStringView text, qsizetype at) {
  int line = 1;
  for (qsizetype i = 0; i < at && i < text.size(); ++i) {
    if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
      ++line;
  }
  return line;
}

std::nullopt_t Refuse(ScriptRefusal* refusal, ScriptRefusal::Reason reason, int line = 0) {
  if (refusal) *refusal = {reason, line};
  return std::nullopt;
}

}  // namespace

std::optional<InstallScript> ParseScript(QStringView text, ScriptRefusal* refusal) {
  // A zero byte ends a text in the system's calls: what follows it would silently be lost.
  if (const qsizetype zero = text.indexOf(QChar(0)); zero >= 0)
    return Refuse(refusal, ScriptRefusal::ZeroByte, LineOf(text, zero));

  InstallScript script;
  int strings = 0;
  qsizetype at = 0;
  while (at < text.size()) {
    if (text[at] != u'"') {
      ++at;
      continue;
    }
    // A string runs to the next quote; one still open at the end of the text is dropped.
    const qsizetype end = text.indexOf(u'"', at + 1);
    if (end < 0) break;
    if (script.commands.size() == kMaxCommands)
      return Refuse(refusal, ScriptRefusal::TooManyCommands, LineOf(text, at));
    const QStringView string = text.mid(at + 1, end - at - 1);
    at = end + 1;

    switch (strings++) {
      case 0:
        script.productName = string.left(kMaxProductName).toString();
        break;
      case 1:
        script.defaultLocation = string.toString();
        break;
      case 2:
        script.requiredSpace = ReadDecimal(string);
        break;
      case 3:
        script.markerFile = string.left(kMaxMarker).toString();
        break;
      default:
        if (!HasCommandForm(string)) return Refuse(refusal, ScriptRefusal::BadForm);
        script.commands << string.toString();
    }
  }
  if (strings < 5) return Refuse(refusal, ScriptRefusal::BadForm);
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
