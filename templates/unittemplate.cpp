#include "unittemplate.h"

#include "rangeerror.h"

namespace {

// Byte 44: the bits that stand for the houses; the other five bits belong to the game.
constexpr std::uint8_t kAtreidesBit = 0x10;
constexpr std::uint8_t kOrdosBit = 0x04;
constexpr std::uint8_t kHarkonnenBit = 0x02;
constexpr std::uint8_t kHouseMask = 0xE9;
constexpr std::uint8_t kBit7 = 0x80;

std::int32_t ReadLong(const std::uint8_t* raw, int at) {
  std::uint32_t v = std::uint32_t(raw[at]) | std::uint32_t(raw[at + 1]) << 8 |
                    std::uint32_t(raw[at + 2]) << 16 | std::uint32_t(raw[at + 3]) << 24;
  return static_cast<std::int32_t>(v);
}

void WriteLong(std::uint8_t* raw, int at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  raw[at] = v & 0xFF;
  raw[at + 1] = (v >> 8) & 0xFF;
  raw[at + 2] = (v >> 16) & 0xFF;
  raw[at + 3] = (v >> 24) & 0xFF;
}

void SetBit7(std::uint8_t& byte, bool on) {
  byte = on ? (byte | kBit7) : (byte & ~kBit7);
}

}  // namespace

int Byte20Member(std::uint8_t set) {
  for (int n = 0; n <= 5; ++n) {
    if (set & (1u << n)) return n;
  }
  return -1;
}

void DecodeRecord(TUnitTemplate& u, const std::uint8_t* raw) {
  u.Armor = raw[2];
  u.RateOfTurn = raw[3];
  u.Health = ReadLong(raw, 4);
  u.Byte12 = raw[12];
  u.FireSpeed = raw[14];
  u.Sight = raw[16];
  // Only 0..5 mean something here; other values leave the set as it was.
  if (raw[20] <= 5) u.Byte20Set = static_cast<std::uint8_t>(1u << raw[20]);
  u.Cost = ReadLong(raw, 28);
  u.BuildSpeed = raw[32];
  u.Flag37 = raw[37] != 0;
  u.Byte40 = raw[40];
  u.Owners = 0;
  if (raw[44] & kAtreidesBit) u.SetOwner(hAtreides, true);
  if (raw[44] & kOrdosBit) u.SetOwner(hOrdos, true);
  if (raw[44] & kHarkonnenBit) u.SetOwner(hHarkonnen, true);
  u.Byte45 = raw[45];
  u.Byte47 = raw[47];
  u.Inaccurate = raw[57] & kBit7;
  u.SelfHeal = raw[58] & kBit7;
  u.Long92 = ReadLong(raw, 92);
  u.Long96 = ReadLong(raw, 96);
  u.Long100 = ReadLong(raw, 100);
  u.Long104 = ReadLong(raw, 104);
  u.Long124 = ReadLong(raw, 124);
  u.Long128 = ReadLong(raw, 128);
  u.Long132 = ReadLong(raw, 132);
  u.Long136 = ReadLong(raw, 136);
}

void EncodeRecord(TUnitTemplate& u) {
  std::uint8_t* raw = u.RawBytes.data();
  raw[2] = u.Armor;
  raw[3] = u.RateOfTurn;
  WriteLong(raw, 4, u.Health);
  raw[12] = u.Byte12;
  raw[14] = u.FireSpeed;
  raw[16] = u.Sight;
  if (const int member = Byte20Member(u.Byte20Set); member >= 0) {
    raw[20] = static_cast<std::uint8_t>(member);
  }
  WriteLong(raw, 28, u.Cost);
  raw[32] = u.BuildSpeed;
  raw[37] = u.Flag37 ? 1 : 0;
  if (u.Byte40 < 0 || u.Byte40 > 255) RaiseRangeCheckError();
  raw[40] = static_cast<std::uint8_t>(u.Byte40);
  std::uint8_t houses = raw[44] & kHouseMask;
  if (u.HasOwner(hAtreides)) houses |= kAtreidesBit;
  if (u.HasOwner(hOrdos)) houses |= kOrdosBit;
  if (u.HasOwner(hHarkonnen)) houses |= kHarkonnenBit;
  raw[44] = houses;
  raw[45] = u.Byte45;
  raw[47] = u.Byte47;
  SetBit7(raw[57], u.Inaccurate);
  SetBit7(raw[58], u.SelfHeal);
  WriteLong(raw, 92, u.Long92);
  WriteLong(raw, 96, u.Long96);
  WriteLong(raw, 100, u.Long100);
  WriteLong(raw, 104, u.Long104);
  WriteLong(raw, 124, u.Long124);
  WriteLong(raw, 128, u.Long128);
  WriteLong(raw, 132, u.Long132);
  WriteLong(raw, 136, u.Long136);
}
