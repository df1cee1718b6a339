#pragma once

#include <QString>
#include <QStringList>

// What smarch-units answers --help with: the program's help and each command's, made from one
// table of the commands, so that the list and a command's own help never disagree.

inline const QString kProgramName = QStringLiteral("smarch-units");

// The commands, in the order the help lists them.
const QStringList& CommandNames();

QString ProgramHelp();

// The help of `command`, one of CommandNames(): its usage, what it does, and examples (for
// another name, the program's help).
QString CommandHelp(const QString& command);
