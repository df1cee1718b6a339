#include "atomicfile.h"
#include "otheruser.h"
#include "paths.h"
#include "sampledir.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

#include <gtest/gtest.h>

namespace {

class StagedFileTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  // Every entry of the folder, hidden ones too: a temporary file left behind shows here.
  QStringList Entries(const char* folder = ".") const {
    return QDir(Path(folder))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  }
  QTemporaryDir dir;
};

TEST_F(StagedFileTest, AFailedFlushLeavesTheFileAsItWas) {
  ASSERT_TRUE(WriteAll(Path("settings"), QByteArray("old")));
  const auto fault = DiskFault::FlushFails(kErrorDiskFull);
  StagedFile file(Reach(Path("settings")), StagedFile::Takes::WritableFileOnly);
  ASSERT_EQ(file.Open(), StagedFile::Opened::Ready);
  ASSERT_TRUE(file.Write("new", 3));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(file.Error(), kErrorDiskFull);
  EXPECT_EQ(ReadAll(Path("settings")), QByteArray("old"));
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("settings")});
  // The fault is met once; the next write goes through while it still stands.
  QString error;
  EXPECT_TRUE(WriteFileAtomically(Path("settings"), QByteArray("new"), &error))
      << error.toStdString();
  EXPECT_EQ(ReadAll(Path("settings")), QByteArray("new"));
}

TEST_F(StagedFileTest, AFolderThatRefusesNewFilesKeepsItsFileAndSaysWhy) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows folders have no write permission of their own to take away";
#else
  QDir().mkpath(Path("locked"));
  ASSERT_TRUE(WriteAll(Path("locked/settings"), QByteArray("kept")));
  // Root may write into any folder: a user who is not root meets the refusal. That user may
  // enter the folders and write the file, but not add one beside it.
  QFile::setPermissions(Path("locked/settings"), QFile::permissions(Path("locked/settings")) |
                                                     QFile::WriteOther | QFile::ReadOther);
  QFile::setPermissions(Path("locked"),
                        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
  const auto refused = [&] {
    QString error;
    if (WriteFileAtomically(Path("locked/settings"), QByteArray("new"), &error)) return 1;
    return error == SystemErrorText(EACCES) ? 0 : 2;
  };
  EXPECT_EQ(::geteuid() == 0 ? ExitStatus(AsAnotherUser(refused)) : refused(), 0);
  EXPECT_EQ(ReadAll(Path("locked/settings")), QByteArray("kept"));
  EXPECT_EQ(Entries("locked"), QStringList{QStringLiteral("settings")});
  QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
}

TEST_F(StagedFileTest, ALinkAtTheDestinationIsNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "links made here are shell shortcuts on Windows, which the file system does not "
                  "follow";
#else
  ASSERT_TRUE(WriteAll(Path("elsewhere"), QByteArray("someone's")));
  ASSERT_TRUE(QFile::link(Path("elsewhere"), Path("link")));
  // Among files that are not all the program's own, the link stays and nothing is written.
  {
    StagedFile file(Reach(Path("LINK")), StagedFile::Takes::WritableFileOnly);
    EXPECT_EQ(file.Open(), StagedFile::Opened::NotAFile);
  }
  EXPECT_TRUE(QFileInfo(Path("link")).isSymLink());
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("elsewhere"), QStringLiteral("link")}));
  // The program's own file takes the link's place; the file it named keeps its bytes.
  EXPECT_TRUE(WriteFileAtomically(Path("link"), QByteArray("own")));
  EXPECT_FALSE(QFileInfo(Path("link")).isSymLink());
  EXPECT_EQ(ReadAll(Path("link")), QByteArray("own"));
  EXPECT_EQ(ReadAll(Path("elsewhere")), QByteArray("someone's"));
#endif
}

}  // namespace
