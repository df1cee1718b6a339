#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What every program says about itself on its command line: --help and --version answer on
// standard output with exit status 0; a wrong command line is one line on standard error that
// points to --help, with exit status 2.

inline constexpr int kUsageExit = 2;

// "PROGRAM (Saltmarch 98) 1.2.0.98": the first line of --version, as GNU programs write it.
QString VersionLine(const QString& program);

// Whether `arguments` (the program's name left out) ask for the help (-h, --help) or the version.
bool AsksForHelp(const QStringList& arguments);
bool AsksForVersion(const QStringList& arguments);

// "PROGRAM: PROBLEM; see PROGRAM --help", the one line a wrong command line gets. `program` may
// name a command too ("smarch-units set").
QString UsageLine(const QString& program, const QString& problem);

// For the programs without streams of their own: when `arguments` ask for the help or the
// version, prints `help` or the version line on standard output and gives the exit status (0;
// 1 when the text could not be written, told on standard error). Nothing otherwise.
std::optional<int> AnswerAboutItself(const QString& program, const QStringList& arguments,
                                     const QString& help);

// Prints the usage line on standard error and gives kUsageExit.
int UsageError(const QString& program, const QString& problem);
