#include "settingsfixture.h"

#include <QDir>

namespace {

using UnitMenus = SettingsFixture;

QStringList Captions(const TColumnMenu* menu) {
  QStringList captions;
  for (const TMenuItem* item : menu->Items) captions << item->Caption;
  return captions;
}

TEST_F(UnitMenus, InfantryAreSortedByNameInColumnsOfFourAndThree) {
  auto* w = new TF_Infs(&frame);
  TColumnMenu* menu = w->UnitMenu;
  EXPECT_EQ(menu->objectName(), QStringLiteral("PMnuInfs"));
  EXPECT_EQ(Captions(menu), (QStringList{QStringLiteral("Engineer"), QStringLiteral("Fremen"),
                                         QStringLiteral("Light Infantry"),
                                         QStringLiteral("Saboteur"), QStringLiteral("Sardaukar"),
                                         QStringLiteral("Thumper"), QStringLiteral("Troopers")}));
  QList<int> tags;
  for (const TMenuItem* item : menu->Items) tags << item->Tag;
  EXPECT_EQ(tags, (QList<int>{5, 3, 1, 7, 4, 6, 2}));
  EXPECT_EQ(menu->ColumnCount(), 2);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(menu->ColumnOf(i), i < 4 ? 0 : 1) << i;
  EXPECT_TRUE(menu->Items[4]->Break);

  // Built again by a reset: no new items, same order.
  app->ResetSettingsInMemory();
  EXPECT_EQ(menu->Items.size(), 7);
  EXPECT_EQ(Captions(menu).first(), QStringLiteral("Engineer"));

  ChooseFromMenu(w, QStringLiteral("Troopers"));
  EXPECT_EQ(w->CurrentUnit(), 2);
  EXPECT_FALSE(menu->isVisible());
}

TEST_F(UnitMenus, VehiclesKeepTheirOrderWithPicturesWhereTheGameHasThem) {
  QFile::remove(game.Path(QStringLiteral("data/ui_gfx/A_QUAD.BMP")));
  auto* w = new TF_Vehics(&frame);
  TColumnMenu* menu = w->UnitMenu;
  ASSERT_EQ(menu->Items.size(), 21);
  for (int i = 0; i < 21; ++i) {
    EXPECT_EQ(menu->Items[i]->Caption, VehicleNames[i + 1]);
    EXPECT_EQ(menu->Items[i]->Tag, i + 1);
    EXPECT_EQ(menu->ColumnOf(i), i < 10 ? 0 : 1) << i;
    const bool pictured = i + 1 <= 16 && i + 1 != 3;
    EXPECT_EQ(menu->Items[i]->ImageIndex >= 0, pictured) << VehicleNames[i + 1].toStdString();
  }
  EXPECT_EQ(menu->Images.size(), 15);
  const QImage icon = menu->Images[0].pixmap(16, 16).toImage();
  EXPECT_EQ(qAlpha(icon.pixel(0, 15)), 0);  // masked by its bottom-left colour

  ChooseFromMenu(w, QStringLiteral("Ornithopter"));
  EXPECT_EQ(w->CurrentUnit(), 16);
}

TEST_F(UnitMenus, WithoutThePictureFolderTheWindowStillWorks) {
  QDir(game.Path(QStringLiteral("data/ui_gfx"))).removeRecursively();
  auto* w = new TF_Vehics(&frame);
  for (const TMenuItem* item : w->UnitMenu->Items) EXPECT_EQ(item->ImageIndex, -1);
  EXPECT_TRUE(w->FPicture->isNull());
  w->B_Next->click();
  EXPECT_EQ(w->CurrentUnit(), 2);
}

TEST_F(UnitMenus, TheVehiclePictureFollowsTheUnitAndStaysWithoutAFile) {
  auto* w = new TF_Vehics(&frame);
  ChooseFromMenu(w, QStringLiteral("Ornithopter"));
  const QImage ornithopter = *w->FPicture;
  EXPECT_FALSE(ornithopter.isNull());
  // The box is empty when all of it has one colour.
  const auto boxIsEmpty = [w] {
    const QImage drawn = w->pbImg->grab().toImage();
    for (int y = 0; y < drawn.height(); ++y) {
      for (int x = 0; x < drawn.width(); ++x) {
        if (drawn.pixel(x, y) != drawn.pixel(0, 0)) return false;
      }
    }
    return true;
  };
  EXPECT_FALSE(boxIsEmpty());
  w->B_Next->click();  // 17 has no picture file: the picture is kept but not shown for it
  EXPECT_EQ(*w->FPicture, ornithopter);
  EXPECT_EQ(w->pbImg->grab().size(), QSize(56, 57));
  EXPECT_TRUE(boxIsEmpty());
  w->B_Prev->click();
  EXPECT_FALSE(boxIsEmpty());
}

TEST_F(UnitMenus, TheMenuWorksFromTheKeyboard) {
  auto* w = new TF_Infs(&frame);
  w->B_Select->click();
  TColumnMenu* menu = w->UnitMenu;
  ASSERT_TRUE(menu->isVisible());
  QTest::keyClick(menu, Qt::Key_Down);   // Engineer
  QTest::keyClick(menu, Qt::Key_Right);  // Sardaukar, same row of the next column
  EXPECT_EQ(menu->Items[menu->Highlighted()]->Caption, QStringLiteral("Sardaukar"));
  QTest::keyClick(menu, Qt::Key_Return);
  EXPECT_EQ(w->CurrentUnit(), 4);
  w->B_Select->click();
  QTest::keyClick(menu, Qt::Key_Escape);
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(w->CurrentUnit(), 4);
}

}  // namespace
