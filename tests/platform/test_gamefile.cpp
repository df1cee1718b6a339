#include "gamefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

QByteArray Content(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class GameFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("templates.bin"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("0123456789abcdef"));
  }
  QTemporaryDir dir;
  QString path;
};

TEST_F(GameFileTest, AMissingFileIsNeverCreated) {
  const QString missing = dir.filePath(QStringLiteral("none.bin"));
  EXPECT_EQ(OpenExistingFile(missing, FileAccess::Write), nullptr);
  EXPECT_EQ(OpenExistingFile(missing, FileAccess::Read), nullptr);
  EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(GameFileTest, WritingChangesOnlyTheBytesWrittenAndNeverTruncates) {
  auto file = OpenExistingFile(path, FileAccess::Write);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Seek(4));
  EXPECT_EQ(file->Write("XY", 2), 2);
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(Content(path), QByteArray("0123XY6789abcdef"));

  // Writing past the end grows the file; nothing else moves.
  file = OpenExistingFile(path, FileAccess::Write);
  ASSERT_TRUE(file->Seek(18));
  EXPECT_EQ(file->Write("Z", 1), 1);
  file->Close();
  EXPECT_EQ(Content(path), QByteArray("0123XY6789abcdef\0\0Z", 19));
}

TEST_F(GameFileTest, ReadsGiveWhatIsThereAndAShortCountAtTheEnd) {
  auto file = OpenExistingFile(path, FileAccess::Read);
  ASSERT_NE(file, nullptr);
  char buffer[32] = {};
  ASSERT_TRUE(file->Seek(10));
  EXPECT_EQ(file->Read(buffer, 32), 6);
  EXPECT_EQ(QByteArray(buffer, 6), QByteArray("abcdef"));
  ASSERT_TRUE(file->Seek(100));
  EXPECT_EQ(file->Read(buffer, 32), 0);
  // A file opened for reading refuses writes.
  EXPECT_EQ(file->Write("x", 1), -1);
  EXPECT_TRUE(file->Close());
  EXPECT_TRUE(file->Close());
}

TEST_F(GameFileTest, APipeOrAFolderInTheFilesPlaceIsRefusedWithoutWaiting) {
#ifndef _WIN32
  // Opening a pipe nobody writes to would block for ever. (Windows has no named pipes in its
  // folders.)
  const QString fifo = dir.filePath(QStringLiteral("pipe.bin"));
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  for (FileAccess access : {FileAccess::Read, FileAccess::ReadWrite}) {
    EXPECT_EQ(OpenExistingFile(fifo, access), nullptr);
  }
#endif
  EXPECT_EQ(OpenExistingFile(dir.path(), FileAccess::Read), nullptr);
}

TEST_F(GameFileTest, AWriteOnlyFileRefusesReads) {
  auto file = OpenExistingFile(path, FileAccess::Write);
  ASSERT_NE(file, nullptr);
  char buffer[4];
  EXPECT_EQ(file->Read(buffer, 4), -1);
}

}  // namespace
