#pragma once

#include "modtext.h"

#include <QStringList>

#include <vector>

// What a mod does to a game's records, worked out in memory before anything is written.
struct ModOutcome {
  UnitRecords records;  // every unit as the game will hold it
  // The units whose file record changes, one per record: where two units share a record, the
  // one the store writes last.
  std::vector<int> changed;
};

// The records of `game` with the mod applied. A unit's raw bytes replace its record; its fields
// then change only the bytes they hold. A value equal to what the unit holds is no change and
// is never refused. Gives nothing, with every refusal in `errors`, when a value is out of range
// or two units sharing a record set one byte differently.
std::optional<ModOutcome> ApplyMod(const UnitRecords& game, const ModFile& mod,
                                   QStringList& errors);

// A unit's record decoded from its bytes alone.
TUnitTemplate RecordFromBytes(UnitId unit, const std::array<std::uint8_t, RecordSize>& raw);

// The differences, per unit: each field that differs (old -> new), then the bytes that differ
// beyond what those fields explain. Empty when the records are the same.
QStringList DiffRecords(const UnitRecords& before, const UnitRecords& after);
