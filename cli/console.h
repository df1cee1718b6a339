#pragma once

#include <QString>
#include <QTextStream>

// How smarch-units talks to its caller: exit codes, its two streams and its usage text.

// 0 is success (for diff: the two are the same); 1 a failure (for diff: they differ).
inline constexpr int kFailed = 1;
// Wrong arguments, or input refused before anything was touched; for diff, any trouble.
inline constexpr int kUsage = 2;
inline constexpr int kRefused = 2;

QTextStream& Out();
QTextStream& Err();

extern const char* const kUsageText;

// Prints `problem` (if any) and the usage text on stderr; gives kUsage.
int Usage(const QString& problem = {});

// Prints `problem` on `err`; gives kRefused.
int Refuse(QTextStream& err, const QString& problem);
