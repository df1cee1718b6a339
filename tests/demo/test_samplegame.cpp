#include "sampledir.h"
#include "samplegame.h"
#include "scripteddialogs.h"
#include "stringtable.h"
#include "templatestore.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SampleGame, IsTheSameEveryTimeAndCoversAllRecords) {
  const QByteArray bin = SampleGame::TemplatesBin();
  EXPECT_EQ(bin, SampleGame::TemplatesBin());
  EXPECT_EQ(bin.size(), 0x3C00 + SampleGame::kTrailingBytes);
  // Bytes the editor never touches are not zero, so a stray write would show.
  for (qint64 at : {0x0000 + 1, 0x0500 + 200, 0x1B00 + 17, 0x3B00 + 255, 0x3C00 + 700}) {
    EXPECT_NE(bin[at], '\0') << at;
  }
}

TEST(SampleGame, HoldsPlausibleUnitsAndEveryPicture) {
  SampleDir sample;
  ASSERT_TRUE(sample.ok());
  ScriptedDialogs dialogs;
  TDune2kFile store;
  store.GameFolder = sample.Folder();
  store.LoadInfantry();
  store.LoadVehicles();
  for (int i = 1; i <= InfantryCount; ++i) {
    EXPECT_GT(store.Infantry[i].Health, 0);
    EXPECT_LE(store.Infantry[i].Sight, 7);
    EXPECT_LE(store.Infantry[i].Armor, 7);
  }
  for (int i = 1; i <= 16; ++i) {
    EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, i, false, nullptr)) << i;
    QImage small;
    EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, i, true, &small)) << i;
  }
  EXPECT_TRUE(dialogs.log.empty());
}

TEST(SampleGame, AnimationIsALoopingGifOfSeveralFrames) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("sm.dat"));
  ASSERT_TRUE(SampleGame::WriteAnimation(path));
  QImageReader reader(path, "gif");
  ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
  EXPECT_GT(reader.imageCount(), 1);
  EXPECT_EQ(reader.loopCount(), -1);
  int frames = 0;
  QImage frame;
  while (reader.read(&frame)) {
    EXPECT_EQ(frame.size(), QSize(160, 104));
    ++frames;
  }
  EXPECT_EQ(frames, reader.imageCount());
  // The corner is transparent so the backdrop shows through.
  EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 0);
}

}  // namespace
