#pragma once

#include "gamefile.h"
#include "modfile.h"
#include "modtext.h"

#include <QString>

#include <optional>

class TDune2kFile;

// What a path on the command line leads to: a game's templates.bin, the editor's backup of it,
// or one of our unit text files, and the unit records it holds.

// Points the store at PATH's templates.bin; gives an error text (naming the file and what is
// wrong with it) when PATH leads to no game's templates.bin, which is then left untouched.
QString OpenGame(TDune2kFile& store, const QString& path);

// The record of `unit` as the store holds it.
TUnitTemplate UnitRecord(const TDune2kFile& store, UnitId unit);

// A file or folder given on the command line: the regular file it comes down to, and whether
// that file is one of our text files rather than a templates.bin.
struct Source {
  QString file;
  bool text = false;
};

std::optional<Source> FindSource(const QString& path, QString& problem);

// Loads every unit of `file` through `opener`; false when either kind could not be read.
bool LoadStore(TDune2kFile& store, const QString& file, const FileOpener& opener);

// The records a game file, backup or text file holds. A text file that does not give every
// unit's bytes is read on top of `base`; without a base it must be complete.
std::optional<UnitRecords> LoadRecords(const QString& path, const UnitRecords* base,
                                       const FileOpener& opener, QString& problem);

bool SameFile(const QString& a, const QString& b);
