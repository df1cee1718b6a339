#pragma once

#include "onebased.h"

#include <cstdint>

// Unit kinds as they are passed around: a byte.
inline constexpr std::uint8_t ukInfantry = 1;
inline constexpr std::uint8_t ukVehicle = 2;

inline constexpr int InfantryCount = 7;
inline constexpr int VehicleCount = 21;

inline constexpr int RecordSize = 256;

// Where each unit's 256-byte record lies in templates.bin. Infantry 3 (Fremen) and vehicle 17
// (Harkonnen Death Hand) share record 21; the game's file is laid out that way.
inline const OneBased<std::int64_t, InfantryCount> InfantryOffsets = {
    0x0000, 0x0100, 0x1500, 0x0400, 0x0200, 0x0300, 0x1700};

inline const OneBased<std::int64_t, VehicleCount> VehicleOffsets = {
    0x0500, 0x0600, 0x0700, 0x0800, 0x0900, 0x0A00, 0x0B00, 0x0C00, 0x0D00, 0x0E00, 0x0F00,
    0x1000, 0x1100, 0x1200, 0x1300, 0x1400, 0x1500, 0x1600, 0x1800, 0x1900, 0x1A00};

// How many units of `kind` there are.
inline constexpr int UnitCountOf(std::uint8_t kind) {
  return kind == ukInfantry ? InfantryCount : VehicleCount;
}

// The offset of unit `index` of `kind`; a number outside its kind's range is a range error.
inline std::int64_t UnitOffset(std::uint8_t kind, int index) {
  return kind == ukInfantry ? InfantryOffsets[index] : VehicleOffsets[index];
}
