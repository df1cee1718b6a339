#pragma once

#include "modtext.h"

#include <QString>

#include <optional>

class TDune2kFile;

// Mod files as the command line and the editor both read them, and the records a mod is
// worked out against.

// Reads and parses the unit text file at `path`. Gives nothing, with `problem` naming the file
// and what is wrong (the line or unit and the field where the text is at fault), when it is no
// regular file, cannot be read, is too large or does not parse.
std::optional<ModFile> ReadModFile(const QString& path, QString& problem);

// Every unit's record as `store` holds it, in the order the store writes them.
UnitRecords StoreRecords(const TDune2kFile& store);
