#pragma once

#include <array>
#include <cstdint>

// Houses in the `Owners` set: member n is bit n.
enum House : std::uint8_t { hAtreides = 0, hOrdos = 1, hHarkonnen = 2, hEmperor = 3 };

// One unit type in memory: the decoded fields, the 256 bytes of its file record and whether it
// was changed in memory and not yet written. A plain value, always copied whole.
struct TUnitTemplate {
  std::int32_t Index = 0;
  std::int32_t Health = 0;
  std::int32_t Cost = 0;
  std::uint8_t BuildSpeed = 0;
  std::int32_t Byte40 = 0;  // holds a byte; encoding refuses anything outside 0..255
  std::uint8_t Byte47 = 0;
  std::uint8_t FireSpeed = 0;
  std::uint8_t Byte20Set = 0;  // a set of 0..6; decoding puts in at most one member of 0..5
  std::uint8_t Armor = 0;
  std::uint8_t RateOfTurn = 0;
  std::uint8_t Byte12 = 0;
  std::uint8_t Sight = 0;
  bool Flag37 = false;
  std::uint8_t Byte45 = 0;
  bool Inaccurate = false;
  bool SelfHeal = false;
  std::int32_t Long92 = 0;
  std::int32_t Long96 = 0;
  std::int32_t Long100 = 0;
  std::int32_t Long104 = 0;
  std::int32_t Long124 = 0;
  std::int32_t Long128 = 0;
  std::int32_t Long132 = 0;
  std::int32_t Long136 = 0;
  std::uint8_t Owners = 0;  // set of House
  std::array<std::uint8_t, 256> RawBytes{};
  bool Changed = false;

  bool HasOwner(House h) const { return (Owners >> h) & 1u; }
  void SetOwner(House h, bool on) { Owners = on ? (Owners | (1u << h)) : (Owners & ~(1u << h)); }

  friend bool operator==(const TUnitTemplate&, const TUnitTemplate&) = default;
};

// Fills the decoded fields from the 256 raw bytes; Index, RawBytes and Changed stay as they are.
void DecodeRecord(TUnitTemplate& unit, const std::uint8_t* raw);

// Writes the decoded fields into the record's own RawBytes, leaving every byte it does not
// understand as it is. Raises ERangeError when Byte40 does not fit in a byte.
void EncodeRecord(TUnitTemplate& unit);

// The member of a one-member Byte20Set (0..5), or -1 when the set holds none of them.
int Byte20Member(std::uint8_t set);
