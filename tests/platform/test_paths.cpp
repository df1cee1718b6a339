#include "fixedprograminfo.h"
#include "onebased.h"
#include "paths.h"
#include "programinfo.h"
#include "textformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(Paths, WindowsStyleNamesUseThePlatformSeparator) {
#ifdef _WIN32
  EXPECT_EQ(NativeText(u"\\data\\bin\\templates.bin"),
            QStringLiteral("\\data\\bin\\templates.bin"));
#else
  EXPECT_EQ(NativeText(u"\\data\\bin\\templates.bin"), QStringLiteral("/data/bin/templates.bin"));
#endif
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/games/d2k")),
            QStringLiteral("/games/d2k") + PathSeparator());
  // Either separator ends a folder already, never followed by a second one.
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/games/d2k/")), QStringLiteral("/games/d2k/"));
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("C:\\d2k\\")), QStringLiteral("C:\\d2k\\"));
  EXPECT_EQ(WithTrailingSeparator(QString()), QString());
}

TEST(Paths, FolderPartEndsAtTheLastSeparatorOrDriveColon) {
  EXPECT_EQ(FolderPart(QStringLiteral("C:\\Games\\Dune2000\\Dune2000.exe")),
            QStringLiteral("C:\\Games\\Dune2000\\"));
  EXPECT_EQ(FolderPart(QStringLiteral("/home/u/d2k/Dune2000.exe")), QStringLiteral("/home/u/d2k/"));
  EXPECT_EQ(FolderPart(QStringLiteral("D:Dune2000.exe")), QStringLiteral("D:"));
  EXPECT_EQ(FolderPart(QStringLiteral("Dune2000.exe")), QString());
  EXPECT_EQ(FolderPart(QString()), QString());
}

TEST(Paths, ExistingNamesAreFoundWhateverTheirCase) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data/Bin")));
  const QString file = dir.filePath(QStringLiteral("Data/Bin/Templates.bin"));
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();

  const QString asked = dir.path() + QStringLiteral("//DATA/bin/TEMPLATES.BIN");
#ifdef _WIN32
  // Windows finds any case itself; the name asked for is the name to use.
  EXPECT_EQ(QFileInfo(ResolveExisting(asked))
                .canonicalFilePath()
                .compare(QFileInfo(file).canonicalFilePath(), Qt::CaseInsensitive),
            0);
#else
  EXPECT_EQ(ResolveExisting(asked), file);
#endif
  EXPECT_TRUE(FileExists(asked));
  EXPECT_FALSE(FolderExists(asked));
  EXPECT_TRUE(FolderExists(dir.path() + QStringLiteral("/data/BIN/")));
  EXPECT_FALSE(FileExists(dir.path() + QStringLiteral("/data/bin")));
  EXPECT_FALSE(FileExists(dir.path() + QStringLiteral("/data/bin/templates.bak")));
  EXPECT_TRUE(ResolveExisting(dir.path() + QStringLiteral("/nothing/here")).isEmpty());
  EXPECT_TRUE(ResolveExisting(QString()).isEmpty());
}

TEST(Paths, ExactNameWinsOverOtherCases) {
  QTemporaryDir dir;
  for (const char* name : {"a.bmp", "A.BMP"}) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(ResolveExisting(dir.filePath(QStringLiteral("A.BMP"))),
            dir.filePath(QStringLiteral("A.BMP")));
  EXPECT_FALSE(ResolveExisting(dir.filePath(QStringLiteral("a.Bmp"))).isEmpty());
}

TEST(OneBasedTable, RefusesIndexesOutsideItsBounds) {
  OneBased<int, 3> table = {10, 20, 30};
  EXPECT_EQ(table[1], 10);
  EXPECT_EQ(table[3], 30);
  try {
    (void)table[4];
    FAIL() << "no range error";
  } catch (const ERangeError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("4 is not within the valid range of 1..3"));
  }
  EXPECT_THROW((void)table[0], ERangeError);
}

TEST(TextFormat, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Format(QStringLiteral("%s Saved Successfully"), {QStringLiteral("Quad")}),
            QStringLiteral("Quad Saved Successfully"));
  EXPECT_EQ(Format(QStringLiteral("%d of %d, 100%% %s"),
                   {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("done")}),
            QStringLiteral("1 of 2, 100% done"));
  EXPECT_EQ(Format(QStringLiteral("%s and %s"), {QStringLiteral("one")}),
            QStringLiteral("one and "));
  EXPECT_EQ(Format(QStringLiteral("ends in %"), {}), QStringLiteral("ends in %"));
}

// A stand-in answers only while it lives, and the one it replaced answers again after it.
TEST(ProgramInfo, StandInsAnswerWhileTheyLiveAndNest) {
  const QString running = ProgramFolder();
  EXPECT_TRUE(running.endsWith(PathSeparator()));
  {
    FixedProgramInfo outer;
    EXPECT_EQ(outer.Folder(), running);  // starts as the running program's
    outer.folder = QStringLiteral("/opt/sm");
    outer.version = {true, false, QString()};
    EXPECT_EQ(ProgramFolder(), QStringLiteral("/opt/sm") + PathSeparator());
    {
      FixedProgramInfo inner;
      EXPECT_EQ(inner.Folder(), QStringLiteral("/opt/sm") + PathSeparator());
      inner.folder = QStringLiteral("/elsewhere/");
      EXPECT_EQ(ProgramFolder(), QStringLiteral("/elsewhere/"));
    }
    EXPECT_EQ(ProgramFolder(), QStringLiteral("/opt/sm") + PathSeparator());
    EXPECT_FALSE(ProgramInfo().Version().queried);
  }
  EXPECT_EQ(ProgramFolder(), running);
  EXPECT_TRUE(ProgramInfo().Version().queried);
  EXPECT_FALSE(ProgramInfo().Version().fileVersion.isEmpty());
}

}  // namespace
