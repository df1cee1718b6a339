#pragma once

#include "modtext.h"

#include <QString>
#include <QStringList>

#include <optional>

class TUnitDocument;

// Mods in the editor, on the same code as smarch-units import and export: a mod is read and
// checked exactly as the command line reads it, worked out against the units as the document
// holds them, and made there as one step that can be undone; the game's file changes only with
// the next Apply Changes.

// What a mod would do to the units, worked out before anything changes.
struct ModImport {
  QString file;
  // Why it can't be imported: one fault a line, as `smarch-units import` prints it (the file,
  // the line or unit, and the field at fault). Empty when it can.
  QStringList errors;
  // What it changes, as `smarch-units import --dry-run` lists it; empty when it changes nothing.
  QStringList changes;
  // Every unit as the import leaves it.
  UnitRecords records{};
};

// Reads the mod at `path` and works out what it does to `units`.
ModImport WorkOutModImport(const QString& path, const UnitRecords& units);

// Makes the import's changes to the document's units as one step, named after the file. The
// records take the mod's bytes as they are, so that Apply writes what the command line writes.
void MakeModImport(TUnitDocument& document, const ModImport& import);

// Every unit as the document holds it; kinds no window has shown yet are read from the game's
// file first. Nothing when the file can't be read: the store has said why.
std::optional<UnitRecords> UnitsInMemory(TUnitDocument& document);

// Writes `units` to `path` as smarch-units export writes them, CSV for a name ending in .csv and
// JSON for any other, whole or not at all: a file that was there stays as it was on failure, and
// nothing is left beside it. Gives why it failed ("Can't write PATH: reason"), or nothing.
QString ExportMod(const UnitRecords& units, const QString& path);
