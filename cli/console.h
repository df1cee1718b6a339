#pragma once

#include <QString>
#include <QTextStream>

// How smarch-units talks to its caller: exit codes, its two streams and its usage text.

// 0 is success (for diff: the two are the same); 1 a failure (for diff: they differ).
inline constexpr int kFailed = 1;
// Wrong arguments, or input refused before anything was touched; for diff, any trouble.
inline constexpr int kUsage = 2;
inline constexpr int kRefused = 2;
// Output that did not reach its file (stdout or -o), whatever the command had done by then.
inline constexpr int kNotWritten = 2;

QTextStream& Out();
QTextStream& Err();

// A wrong command line of `command` (empty: of the program itself): one line on `err` naming
// the problem and the help to read; gives kUsage.
int UsageError(QTextStream& err, const QString& command, const QString& problem);

// Prints `problem` on `err`; gives kRefused.
int Refuse(QTextStream& err, const QString& problem);

// Flushes `out`; when what was written to it did not all arrive, says so on `err` and gives
// false.
bool WroteAll(QTextStream& out, QTextStream& err);

// The program's exit code once its standard output is closed: `status`, or kNotWritten (with a
// message) when any of the output, the store's messages included, never reached its file. A
// full disk often shows only when the last buffer is flushed or the file closed.
int CloseOutput(int status);

// `text` with every control character shown as <U+000A> and the like, for printing what came
// from a file: a line break or a terminal's escape sequence in a value must not reach the
// terminal raw.
QString Visible(const QString& text);
