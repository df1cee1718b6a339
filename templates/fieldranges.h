#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

// The values each decoded field of a unit may be given: one table for the settings windows'
// controls and for the command line, so neither lets a value through that the other would
// refuse. Sight and infantry armour stop at 7, as the game's own ranges do.
struct FieldRange {
  std::int64_t min = 0;
  std::int64_t max = 0;

  bool Contains(std::int64_t value) const { return value >= min && value <= max; }
  std::int64_t Clamp(std::int64_t value) const {
    return value < min ? min : (value > max ? max : value);
  }
};

// The range of the field of TUnitTemplate called `field` (case ignored) for a unit of `kind`
// (ukInfantry or ukVehicle); nothing for a name that is no such field. Flags range over 0..1,
// Byte20Set over the member numbers 0..5, Owners over the house bits 0..15.
std::optional<FieldRange> UnitFieldRange(std::uint8_t kind, QStringView field);
