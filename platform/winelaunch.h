#pragma once

#include "shell.h"

#include <QString>

// Starting a Windows program where Windows is not: with Wine.

// The Wine to start programs with: `wine` on the PATH, else `wine64` (Debian's wine64 package
// may bring only that); empty when there is neither.
QString WineProgram();

// Starts `program` with WineProgram(), without waiting for it, in the program's own folder, as a
// game expects to find its data, and with nothing to read on its standard input. A program in
// a Wine prefix runs in that prefix; any other in Wine's default one (WINEPREFIX as it is).
// NoWine when there is no Wine; Failed when the program is missing or Wine could not be run.
ProgramStart StartWithWine(const QString& program);
