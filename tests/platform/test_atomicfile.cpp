#include "atomicfile.h"
#include "paths.h"
#include "sampledir.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <cerrno>

#include <gtest/gtest.h>

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  QTemporaryDir dir;
};

TEST_F(AtomicFileTest, CopyReplacesTheTargetWholeAndKeepsItsPermissions) {
  ASSERT_TRUE(WriteAll(Path("source"), QByteArray(100000, 'n')));
  ASSERT_TRUE(WriteAll(Path("target"), QByteArray("old")));
  // Set-user and set-group bits are not carried over to content that someone else wrote.
  ASSERT_EQ(::chmod(Path("target").toLocal8Bit().constData(), 06600), 0);
  QString error;
  EXPECT_TRUE(CopyFileReplacing(Path("source"), Path("target"), &error));
  EXPECT_EQ(ReadAll(Path("target")), QByteArray(100000, 'n'));
#ifndef _WIN32  // Windows files have no permission bits
  struct stat st {};
  ASSERT_EQ(::stat(Path("target").toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
#endif
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(AtomicFileTest, CopyFindsNamesWhateverTheirCase) {
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("data/bin")));
  ASSERT_TRUE(WriteAll(Path("data/bin/templates.bin"), QByteArray("game")));
  ASSERT_TRUE(WriteAll(Path("backup"), QByteArray("saved")));
  EXPECT_TRUE(CopyFileReplacing(Path("backup"), Path("Data/Bin/Templates.bin")));
  EXPECT_EQ(ReadAll(Path("data/bin/templates.bin")), QByteArray("saved"));
#ifndef _WIN32  // where "Data" and "data" are one folder anyway
  EXPECT_FALSE(QDir(dir.path()).exists(QStringLiteral("Data")));
#endif
}

TEST_F(AtomicFileTest, FailuresCarryTheSystemsTextAndLeaveTheTargetAlone) {
  ASSERT_TRUE(WriteAll(Path("target"), QByteArray("precious")));
  QString error;
  EXPECT_FALSE(CopyFileReplacing(Path("missing"), Path("target"), &error));
  EXPECT_EQ(error, SystemErrorText(kErrorNoSuchFile));
  EXPECT_EQ(ReadAll(Path("target")), QByteArray("precious"));

  ASSERT_TRUE(WriteAll(Path("source"), QByteArray(300000, 'x')));
  EXPECT_FALSE(CopyFileReplacing(Path("source"), Path("no/such/folder/target"), &error));
  EXPECT_EQ(error, SystemErrorText(kErrorNoSuchFolder));

  // A disk that fills up in the middle of the copy.
  const auto full = DiskFault::FullAfter(70000, kErrorDiskFull);
  EXPECT_FALSE(CopyFileReplacing(Path("source"), Path("target"), &error));
  EXPECT_EQ(error, SystemErrorText(kErrorDiskFull));
  EXPECT_EQ(ReadAll(Path("target")), QByteArray("precious"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(AtomicFileTest, WriteCreatesOrReplaces) {
  EXPECT_TRUE(WriteFileAtomically(Path("new"), QByteArray("one")));
  EXPECT_EQ(ReadAll(Path("new")), QByteArray("one"));
  EXPECT_TRUE(WriteFileAtomically(Path("new"), QByteArray()));
  EXPECT_EQ(ReadAll(Path("new")), QByteArray());
  // The file the new content is first written to takes no name another file has.
  ASSERT_TRUE(WriteAll(Path("new.new"), QByteArray("user's")));
  EXPECT_TRUE(WriteFileAtomically(Path("new"), QByteArray("two")));
  EXPECT_TRUE(CopyFileReplacing(Path("new.new"), Path("copy")));
  EXPECT_EQ(ReadAll(Path("new.new")), QByteArray("user's"));
  EXPECT_EQ(
      QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
      (QStringList{QStringLiteral("copy"), QStringLiteral("new"), QStringLiteral("new.new")}));
}

}  // namespace
