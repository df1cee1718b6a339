#include "stringtable.h"

#include <gtest/gtest.h>

namespace {

TEST(NameTables, HoldTheUnitsInTheirNumberOrder) {
  EXPECT_EQ(InfantryNames[1], QStringLiteral("Light Infantry"));
  EXPECT_EQ(InfantryNames[7], QStringLiteral("Saboteur"));
  EXPECT_EQ(VehicleNames[5], QStringLiteral("Atriedies Combat Tank"));
  EXPECT_EQ(VehicleNames[8], QStringLiteral("Mobile Contruction Vehicle"));
  EXPECT_EQ(VehicleNames[16], QStringLiteral("Ornithopter"));
  EXPECT_EQ(VehicleNames[17], QStringLiteral("Harkonnen Death Hand"));
  EXPECT_EQ(VehicleNames[21], QStringLiteral("Unknown Unit #4"));
  EXPECT_EQ(VehiclePictures[16], QStringLiteral("H_death.bmp"));
  for (int i = 17; i <= 21; ++i) EXPECT_TRUE(VehiclePictures[i].isEmpty()) << i;
  for (int i = 1; i <= 16; ++i) EXPECT_FALSE(VehiclePictures[i].isEmpty()) << i;
  EXPECT_TRUE(HintTexts[1].startsWith(QStringLiteral("The Unit Has Been Saved To Memory.")));
  EXPECT_THROW((void)InfantryNames[0], ERangeError);
  EXPECT_THROW((void)VehicleNames[22], ERangeError);
  EXPECT_THROW((void)HintTexts[2], ERangeError);
}

}  // namespace
