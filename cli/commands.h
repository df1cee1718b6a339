#pragma once

#include "gamefile.h"

#include <QStringList>
#include <QTextStream>

// The commands of smarch-units, one source each (locate has its own header). Each gives the
// program's exit code; `opener` stands in for the file layer (tests count and fail its calls).

// show PATH [--json]
int ShowCommand(const QStringList& args);

// set PATH infantry|vehicle N Field=value [Field=value ...]
int SetCommand(const QStringList& args);

// export PATH [--format json|csv] [-o FILE]
int ExportCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                  const FileOpener& opener = OpenExistingFile);

// import PATH FILE [--dry-run]
int ImportCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                  const FileOpener& opener = OpenExistingFile);

// diff A B, or diff GAME --backup. 0: the same, 1: they differ, 2: trouble (as diff does).
int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                const FileOpener& opener = OpenExistingFile);
