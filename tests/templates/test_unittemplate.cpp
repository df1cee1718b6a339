#include "rangeerror.h"
#include "unitlayout.h"
#include "unittemplate.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Raw = std::array<std::uint8_t, 256>;

TUnitTemplate Decoded(const Raw& raw) {
  TUnitTemplate u;
  u.RawBytes = raw;
  DecodeRecord(u, raw.data());
  return u;
}

Raw Encoded(TUnitTemplate u) {
  EncodeRecord(u);
  return u.RawBytes;
}

TEST(UnitRecord, DecodesEveryFieldFromItsBytes) {
  Raw raw{};
  raw[2] = 7;
  raw[3] = 15;
  raw[4] = 0x78;  // Health 0x12345678
  raw[5] = 0x56;
  raw[6] = 0x34;
  raw[7] = 0x12;
  raw[12] = 0xC3;
  raw[14] = 200;
  raw[16] = 6;
  raw[20] = 3;
  raw[28] = 0xFE;  // Cost -2
  raw[29] = 0xFF;
  raw[30] = 0xFF;
  raw[31] = 0xFF;
  raw[32] = 250;
  raw[37] = 1;
  raw[40] = 0xF0;
  raw[44] = 0x10 | 0x02;
  raw[45] = 0x45;
  raw[47] = 0x47;
  raw[57] = 0x80;
  raw[58] = 0x00;
  for (int at : {92, 96, 100, 104, 124, 128, 132, 136}) raw[at] = static_cast<std::uint8_t>(at);
  raw[139] = 0x80;  // Long136 negative

  const TUnitTemplate u = Decoded(raw);
  EXPECT_EQ(u.Armor, 7);
  EXPECT_EQ(u.RateOfTurn, 15);
  EXPECT_EQ(u.Health, 0x12345678);
  EXPECT_EQ(u.Byte12, 0xC3);
  EXPECT_EQ(u.FireSpeed, 200);
  EXPECT_EQ(u.Sight, 6);
  EXPECT_EQ(u.Byte20Set, 1u << 3);
  EXPECT_EQ(u.Cost, -2);
  EXPECT_EQ(u.BuildSpeed, 250);
  EXPECT_TRUE(u.Flag37);
  EXPECT_EQ(u.Byte40, 0xF0);  // widened without sign
  EXPECT_TRUE(u.HasOwner(hAtreides));
  EXPECT_FALSE(u.HasOwner(hOrdos));
  EXPECT_TRUE(u.HasOwner(hHarkonnen));
  EXPECT_FALSE(u.HasOwner(hEmperor));
  EXPECT_EQ(u.Byte45, 0x45);
  EXPECT_EQ(u.Byte47, 0x47);
  EXPECT_TRUE(u.Inaccurate);
  EXPECT_FALSE(u.SelfHeal);
  EXPECT_EQ(u.Long92, 92);
  EXPECT_EQ(u.Long96, 96);
  EXPECT_EQ(u.Long100, 100);
  EXPECT_EQ(u.Long104, 104);
  EXPECT_EQ(u.Long124, 124);
  EXPECT_EQ(u.Long128, 128);
  EXPECT_EQ(u.Long132, 132);
  EXPECT_EQ(u.Long136, static_cast<std::int32_t>(0x80000088u));
}

TEST(UnitRecord, DecodingLeavesIndexRawBytesAndChangedAlone) {
  TUnitTemplate u;
  u.Index = 5;
  u.Changed = true;
  u.RawBytes.fill(0xAA);
  Raw other{};
  other[2] = 9;
  DecodeRecord(u, other.data());
  EXPECT_EQ(u.Index, 5);
  EXPECT_TRUE(u.Changed);
  EXPECT_EQ(u.RawBytes[2], 0xAA);
  EXPECT_EQ(u.Armor, 9);
}

TEST(UnitRecord, EncodesEveryFieldIntoItsBytes) {
  TUnitTemplate u;
  u.RawBytes.fill(0x5A);
  u.Armor = 1;
  u.RateOfTurn = 2;
  u.Health = -1000;
  u.Byte12 = 3;
  u.FireSpeed = 4;
  u.Sight = 5;
  u.Byte20Set = 1u << 2;
  u.Cost = 0x01020304;
  u.BuildSpeed = 6;
  u.Flag37 = true;
  u.Byte40 = 255;
  u.Owners = (1u << hOrdos);
  u.Byte45 = 8;
  u.Byte47 = 9;
  u.Inaccurate = false;
  u.SelfHeal = true;
  u.Long92 = -1;
  u.Long136 = 0x7FFFFFFF;

  const Raw raw = Encoded(u);
  EXPECT_EQ(raw[2], 1);
  EXPECT_EQ(raw[3], 2);
  EXPECT_EQ(raw[4], 0x18);  // -1000 = 0xFFFFFC18
  EXPECT_EQ(raw[5], 0xFC);
  EXPECT_EQ(raw[6], 0xFF);
  EXPECT_EQ(raw[7], 0xFF);
  EXPECT_EQ(raw[12], 3);
  EXPECT_EQ(raw[14], 4);
  EXPECT_EQ(raw[16], 5);
  EXPECT_EQ(raw[20], 2);
  EXPECT_EQ(raw[28], 0x04);
  EXPECT_EQ(raw[31], 0x01);
  EXPECT_EQ(raw[32], 6);
  EXPECT_EQ(raw[37], 1);
  EXPECT_EQ(raw[40], 255);
  EXPECT_EQ(raw[44], (0x5A & 0xE9) | 0x04);
  EXPECT_EQ(raw[45], 8);
  EXPECT_EQ(raw[47], 9);
  EXPECT_EQ(raw[57], 0x5A);  // bit 7 clear, low bits kept
  EXPECT_EQ(raw[58], 0x5A | 0x80);
  EXPECT_EQ(raw[92], 0xFF);
  EXPECT_EQ(raw[95], 0xFF);
  EXPECT_EQ(raw[136], 0xFF);
  EXPECT_EQ(raw[139], 0x7F);
  // Bytes the record does not understand keep their value.
  for (int at : {0,  1,  8,  9,  10, 11, 13, 15, 17, 19,  21,  27,  33, 36,
                 38, 39, 41, 43, 46, 48, 56, 59, 91, 108, 123, 140, 255}) {
    EXPECT_EQ(raw[at], 0x5A) << "byte " << at;
  }
}

TEST(UnitRecord, Byte20KeepsItsValueUnlessASmallNumberWasDecoded) {
  Raw raw{};
  raw[20] = 6;
  TUnitTemplate fresh;
  fresh.RawBytes = raw;
  DecodeRecord(fresh, raw.data());
  EXPECT_EQ(fresh.Byte20Set, 0);
  EXPECT_EQ(Encoded(fresh)[20], 6);

  // A value beyond 5 leaves whatever the set held before.
  TUnitTemplate earlier;
  earlier.Byte20Set = 1u << 4;
  DecodeRecord(earlier, raw.data());
  EXPECT_EQ(earlier.Byte20Set, 1u << 4);

  raw[20] = 5;
  TUnitTemplate five = Decoded(raw);
  EXPECT_EQ(five.Byte20Set, 1u << 5);
  EXPECT_EQ(Encoded(five)[20], 5);

  raw[20] = 0;
  EXPECT_EQ(Decoded(raw).Byte20Set, 1u << 0);
  EXPECT_EQ(Encoded(Decoded(raw))[20], 0);
}

TEST(UnitRecord, Flag37ReadsAnyNonZeroAsTrueAndWritesOne) {
  Raw raw{};
  raw[37] = 2;
  const TUnitTemplate u = Decoded(raw);
  EXPECT_TRUE(u.Flag37);
  EXPECT_EQ(Encoded(u)[37], 1);
  raw[37] = 0;
  EXPECT_EQ(Encoded(Decoded(raw))[37], 0);
}

TEST(UnitRecord, OwnersUseThreeBitsOfByte44AndKeepTheOthers) {
  Raw raw{};
  raw[44] = 0xFF;
  TUnitTemplate u = Decoded(raw);
  EXPECT_EQ(u.Owners, (1u << hAtreides) | (1u << hOrdos) | (1u << hHarkonnen));
  u.Owners = 0;
  EXPECT_EQ(Encoded(u)[44], 0xE9);

  // The Emperor has no bit in the file.
  u.Owners = 1u << hEmperor;
  EXPECT_EQ(Encoded(u)[44], 0xE9);

  raw[44] = 0x00;
  TUnitTemplate none = Decoded(raw);
  none.Owners = (1u << hAtreides) | (1u << hHarkonnen);
  EXPECT_EQ(Encoded(none)[44], 0x12);
}

TEST(UnitRecord, InaccurateAndSelfHealUseOnlyBit7OfTheirOwnByte) {
  Raw raw{};
  raw[57] = 0x81;
  raw[58] = 0x00;
  TUnitTemplate u = Decoded(raw);
  EXPECT_TRUE(u.Inaccurate);
  EXPECT_FALSE(u.SelfHeal);
  u.Inaccurate = false;
  const Raw out = Encoded(u);
  EXPECT_EQ(out[57], 0x01);
  EXPECT_EQ(out[58], 0x00);

  raw[57] = 0x7F;
  raw[58] = 0x80;
  u = Decoded(raw);
  EXPECT_FALSE(u.Inaccurate);
  EXPECT_TRUE(u.SelfHeal);
  u.SelfHeal = false;
  EXPECT_EQ(Encoded(u)[58], 0x00);
  EXPECT_EQ(Encoded(u)[57], 0x7F);
}

TEST(UnitRecord, Byte40OutsideAByteIsARangeError) {
  TUnitTemplate u;
  u.Byte40 = 256;
  EXPECT_THROW(EncodeRecord(u), ERangeError);
  u.Byte40 = -1;
  EXPECT_THROW(EncodeRecord(u), ERangeError);
  u.Byte40 = 255;
  EXPECT_NO_THROW(EncodeRecord(u));
}

TEST(UnitRecord, RandomRecordsSurviveDecodeAndEncodeExceptByte37) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 500; ++round) {
    Raw raw;
    for (auto& b : raw) b = static_cast<std::uint8_t>(random());
    Raw expected = raw;
    if (expected[37] > 1) expected[37] = 1;
    EXPECT_EQ(Encoded(Decoded(raw)), expected) << "round " << round;
  }
}

TEST(UnitOffsets, EveryUnitHasItsRecord) {
  const std::int64_t infantry[] = {0x0000, 0x0100, 0x1500, 0x0400, 0x0200, 0x0300, 0x1700};
  for (int i = 1; i <= InfantryCount; ++i) {
    EXPECT_EQ(InfantryOffsets[i], infantry[i - 1]) << "infantry " << i;
    EXPECT_EQ(UnitOffset(ukInfantry, i), infantry[i - 1]);
  }
  const std::int64_t vehicles[] = {0x0500, 0x0600, 0x0700, 0x0800, 0x0900, 0x0A00, 0x0B00,
                                   0x0C00, 0x0D00, 0x0E00, 0x0F00, 0x1000, 0x1100, 0x1200,
                                   0x1300, 0x1400, 0x1500, 0x1600, 0x1800, 0x1900, 0x1A00};
  for (int i = 1; i <= VehicleCount; ++i) {
    EXPECT_EQ(VehicleOffsets[i], vehicles[i - 1]) << "vehicle " << i;
    EXPECT_EQ(UnitOffset(ukVehicle, i), vehicles[i - 1]);
  }
  EXPECT_THROW(UnitOffset(ukInfantry, 8), ERangeError);
  EXPECT_THROW(UnitOffset(ukVehicle, 0), ERangeError);
}

}  // namespace
