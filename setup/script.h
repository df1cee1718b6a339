#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The install script "VOVIVADU.ZED": a sequence of double-quoted strings, everything outside
// quotes being remarks. The first four strings are the product name, the proposed location, the
// space needed in bytes and the name of a marker file that betrays an earlier installation;
// every later one is a command: an optional mode prefix "o" (new installations only) or "u"
// (updates only), a command letter, a colon and the argument.

inline constexpr char kScriptFileName[] = "VOVIVADU.ZED";
// The limits of the script's strings. The product name and the marker are cut to theirs; the
// proposed location and the commands are kept whole, and refused where they are used when they
// are longer, since a cut one would name another place.
inline constexpr int kMaxCommands = 200;
inline constexpr int kMaxProductName = 98;
inline constexpr int kMaxLocation = 510;
inline constexpr int kMaxMarker = 510;
inline constexpr int kMaxCommand = 198;
// The script must be larger than the first and smaller than the second.
inline constexpr qint64 kMinScriptSize = 10;
inline constexpr qint64 kMaxScriptSize = 62000;
// One buffer holds the script and later serves the expansion.
inline constexpr qsizetype kWorkingBufferSize = 63000;

struct InstallScript {
  QString productName;
  QString defaultLocation;
  quint32 requiredSpace = 0;
  QString markerFile;
  QStringList commands;
};

// The unsigned value of the decimal digits at the start of the text: no sign, no blanks, 0 when
// it does not start with a digit. A value beyond 32 bits stays at the largest one instead of
// wrapping round to a small number.
quint32 ReadDecimal(QStringView text);

// True for one of the command letters C, D, E, I, L, M, R, S, X.
bool IsCommandLetter(QChar c);

// Why a script text was refused, and the line (from 1; CR, LF and CR LF each end one) where.
struct ScriptRefusal {
  enum Reason {
    BadForm,          // a string that is no command, or fewer than five strings
    ZeroByte,         // a zero byte anywhere: the text would end there
    TooManyCommands,  // a string beyond the table's commands; `line` is where it begins
  } reason = BadForm;
  int line = 0;
};

// The script's strings and commands, or nothing when the text is refused (`refusal` says why).
std::optional<InstallScript> ParseScript(QStringView text, ScriptRefusal* refusal = nullptr);

// The script file's bytes as text. On Windows in the system's ANSI code page, as the scripts are
// written; elsewhere UTF-8 when they are valid UTF-8, else Windows-1252, the code page of a
// script written on a Windows system of the west.
QString DecodeScriptText(QByteArrayView bytes);
