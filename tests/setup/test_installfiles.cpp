#include "desktoplink.h"
#include "expandfile.h"
#include "installfolders.h"
#include "registry.h"
#include "registrynames.h"
#include "safefs.h"
#include "sampledir.h"
#include "setuptestsupport.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

class Expand : public ::testing::Test {
 protected:
  int Run(const QString& source, const QString& destination, bool create = true) {
    progress.clear();
    return ExpandFile(source, destination, create, buffer,
                      [this](int percent) { progress.push_back(percent); });
  }
  QString Path(const QString& name) const { return sandbox.Path(name); }

  SetupSandbox sandbox;
  std::vector<char> buffer = std::vector<char>(63000);
  std::vector<int> progress;
};

TEST_F(Expand, EmptySourceIsDoneAtOnce) {
  WriteAll(Path(u"empty"_s), {});
  WriteAll(Path(u"empty.sz"_s), MsCompressed({}));
  EXPECT_EQ(Run(Path(u"empty"_s), Path(u"out1"_s)), 0);
  EXPECT_EQ(progress, std::vector<int>{100});
  EXPECT_EQ(Run(Path(u"empty.sz"_s), Path(u"out2"_s)), 0);
  EXPECT_EQ(progress, std::vector<int>{100});
  EXPECT_EQ(QFileInfo(Path(u"out2"_s)).size(), 0);
}

TEST_F(Expand, BlocksOfExactlyTheBufferSize) {
  const QByteArray bytes = TestBytes(64000, 9);
  WriteAll(Path(u"src"_s), MsCompressed(bytes));
  EXPECT_EQ(Run(Path(u"src"_s), Path(u"out"_s)), 0);
  EXPECT_EQ(progress, (std::vector<int>{50, 100, 100}));
  EXPECT_EQ(ReadAll(Path(u"out"_s)), bytes);
}

TEST_F(Expand, CreatesOrAppends) {
  WriteAll(Path(u"a"_s), "first part ");
  WriteAll(Path(u"b"_s), "second part");
  WriteAll(Path(u"out"_s), "old content that goes");
  EXPECT_EQ(Run(Path(u"a"_s), Path(u"out"_s), true), 0);
  EXPECT_EQ(Run(Path(u"b"_s), Path(u"out"_s), false), 0);
  EXPECT_EQ(ReadAll(Path(u"out"_s)), QByteArray("first part second part"));
  EXPECT_EQ(Run(Path(u"b"_s), Path(u"new"_s), false), 0);
  EXPECT_EQ(ReadAll(Path(u"new"_s)), QByteArray("second part"));
}

TEST_F(Expand, ReportsEachKindOfFailure) {
  WriteAll(Path(u"src"_s), MsCompressed(TestBytes(70000, 10)));
  EXPECT_EQ(Run(Path(u"missing"_s), Path(u"out"_s)), 27);
  EXPECT_EQ(Run(sandbox.Medium(), Path(u"out"_s)), 27);
  EXPECT_EQ(Run(Path(u"src"_s), sandbox.Medium()), 28);
  EXPECT_EQ(Run(Path(u"src"_s), Path(u"no/such/folder/out"_s)), 28);
  // Writing a file over itself would destroy it while it is read.
  EXPECT_EQ(Run(Path(u"src"_s), Path(u"src"_s)), 28);
  EXPECT_EQ(ReadAll(Path(u"src"_s)).size(), MsCompressed(TestBytes(70000, 10)).size());
  // A device is no file to replace; it is refused before a byte is written.
  if (QFileInfo::exists(u"/dev/full"_s)) {
    EXPECT_EQ(Run(Path(u"src"_s), u"/dev/full"_s), 36);
  }

  WriteAll(Path(u"cut"_s), ReadAll(Path(u"src"_s)).chopped(500));
  EXPECT_EQ(Run(Path(u"cut"_s), Path(u"out"_s)), 29);
  // A header cut short after the signature.
  WriteAll(Path(u"header"_s), ReadAll(Path(u"src"_s)).left(11));
  EXPECT_EQ(Run(Path(u"header"_s), Path(u"out"_s)), 27);
}

// The folder holds nothing but the named files: no temporary file is left behind.
QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(Expand, AFailureLeavesTheOldFileAsItWas) {
  const QByteArray good = TestBytes(90000, 13);
  const QByteArray packed = MsCompressed(TestBytes(100000, 14));
  QDir().mkpath(Path(u"dest"_s));
  const QString target = Path(u"dest/file.bin"_s);
  WriteAll(target, good);
  QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  WriteAll(Path(u"cut"_s), packed.chopped(700));
  WriteAll(Path(u"whole"_s), packed);

  EXPECT_EQ(Run(Path(u"cut"_s), target), 29);
  EXPECT_EQ(ReadAll(target), good);
  {
    const auto full = DiskFault::FullAfter(40000, ENOSPC);
    EXPECT_EQ(Run(Path(u"whole"_s), target), 30);
    EXPECT_EQ(ReadAll(target), good);
  }
  {
    const auto full = DiskFault::FullAfter(95000, ENOSPC);
    EXPECT_EQ(Run(Path(u"whole"_s), target, false), 30);
    EXPECT_EQ(ReadAll(target), good);
  }
  {
    // Goes unmet: the next write is not touched by it.
    const auto unused = DiskFault::FullAfter(1, ENOSPC);
  }
  EXPECT_EQ(Entries(Path(u"dest"_s)), QStringList{u"file.bin"_s});

  // Once complete, the new content takes the old one's place with its permissions.
  EXPECT_EQ(Run(Path(u"whole"_s), target, false), 0);
  EXPECT_EQ(ReadAll(target), good + TestBytes(100000, 14));
#ifndef _WIN32
  EXPECT_EQ(QFileInfo(target).permissions() & 0x7077,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
  EXPECT_EQ(Entries(Path(u"dest"_s)), QStringList{u"file.bin"_s});
}

TEST_F(Expand, NeverWritesThroughWhatLiesAtTheDestination) {
  const QString outside = Path(u"outside.txt"_s);
  WriteAll(outside, "outside");
  const QByteArray content = TestBytes(3000, 19);
  const QByteArray packed = MsCompressed(content);
  WriteAll(Path(u"F.TX_"_s), packed);
  QDir().mkpath(Path(u"loc"_s));
#ifndef _WIN32
  // Windows links are reparse points, which the system's test makes: see ReparsePointsAreLinks.
  ASSERT_TRUE(QFile::link(outside, Path(u"loc/flink"_s)));
  ASSERT_TRUE(QFile::link(Path(u"nowhere.txt"_s), Path(u"loc/dangling"_s)));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path(u"loc/fifo"_s)).constData(), 0600), 0);

  for (const QString& name : {u"flink"_s, u"FLINK"_s, u"dangling"_s, u"fifo"_s}) {
    EXPECT_EQ(Run(Path(u"F.TX_"_s), Path(u"loc/"_s + name)), 36) << name.toStdString();
    EXPECT_EQ(Run(Path(u"F.TX_"_s), Path(u"loc/"_s + name), false), 36) << name.toStdString();
  }
  EXPECT_EQ(ReadAll(outside), QByteArray("outside"));
  EXPECT_FALSE(QFileInfo::exists(Path(u"nowhere.txt"_s)));
  EXPECT_EQ(Entries(Path(u"loc"_s)), (QStringList{u"dangling"_s, u"fifo"_s, u"flink"_s}));
#endif

  // A hard link of the source at the destination is the source itself, whatever its name.
  ASSERT_TRUE(QFile::copy(Path(u"F.TX_"_s), Path(u"medium/F.TX_"_s)));
  ASSERT_TRUE(HardLink(Path(u"medium/F.TX_"_s), Path(u"loc/hard"_s)));
  EXPECT_EQ(Run(Path(u"medium/F.TX_"_s), Path(u"loc/hard"_s)), 28);
  EXPECT_EQ(ReadAll(Path(u"medium/F.TX_"_s)), packed);
  // A hard link of a file elsewhere is replaced by the new file; the other name keeps its bytes.
  ASSERT_TRUE(HardLink(outside, Path(u"loc/other"_s)));
  EXPECT_EQ(Run(Path(u"F.TX_"_s), Path(u"loc/other"_s)), 0);
  EXPECT_EQ(ReadAll(Path(u"loc/other"_s)), content);
  EXPECT_EQ(ReadAll(outside), QByteArray("outside"));
}

TEST_F(Expand, ProgramsMayRunOnceExpanded) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files carry no permission to run";
#endif
  QByteArray elf = TestBytes(5000, 11);
  elf.replace(0, 4,
              "\x7f"
              "ELF");
  WriteAll(Path(u"prog"_s), MsCompressed(elf));
  WriteAll(Path(u"script"_s), MsCompressed("#!/bin/sh\necho installed program\n"));
  WriteAll(Path(u"text"_s), MsCompressed(TestBytes(300, 12)));
  EXPECT_EQ(Run(Path(u"prog"_s), Path(u"prog.out"_s)), 0);
  EXPECT_EQ(Run(Path(u"script"_s), Path(u"script.out"_s)), 0);
  EXPECT_EQ(Run(Path(u"text"_s), Path(u"text.out"_s)), 0);
  EXPECT_TRUE(QFileInfo(Path(u"prog.out"_s)).isExecutable());
  EXPECT_TRUE(QFileInfo(Path(u"script.out"_s)).isExecutable());
  EXPECT_FALSE(QFileInfo(Path(u"text.out"_s)).permissions() & QFileDevice::ExeOwner);
}

TEST(FileOps, MarkerIsFoundWhateverItsCaseAndMayBeAPattern) {
  SetupSandbox sandbox;
  QDir().mkpath(sandbox.Path(u"loc/Data"_s));
  WriteAll(sandbox.Path(u"loc/Data/Smarch.Exe"_s), "x");
  const QString loc = sandbox.Path(u"loc"_s);
  EXPECT_TRUE(MarkerFound(loc, Native(u"data/SMARCH.EXE"_s)));
  EXPECT_TRUE(MarkerFound(loc, Native(u"DATA/sm*.e?e"_s)));
  EXPECT_TRUE(MarkerFound(loc, u"Data"_s));
  EXPECT_FALSE(MarkerFound(loc, u"data/other.exe"_s));
  EXPECT_FALSE(MarkerFound(loc, u""_s));
  EXPECT_FALSE(MarkerFound(sandbox.Path(u"nowhere"_s), u"*"_s));
}

TEST(FileOps, OnlyStarAndQuestionMarkAreWildcards) {
  EXPECT_TRUE(WildcardMatch(u"SM[1].DAT", u"sm[1].dat"));
  EXPECT_FALSE(WildcardMatch(u"SM[1].DAT", u"SM1.DAT"));
  EXPECT_TRUE(WildcardMatch(u"*.e?e", u"smarch.exe"));
  EXPECT_TRUE(WildcardMatch(u"a*b*c", u"aXXbYc"));
  EXPECT_FALSE(WildcardMatch(u"a*b*c", u"aXXbY"));
  EXPECT_TRUE(WildcardMatch(u"*", u""));
  EXPECT_FALSE(WildcardMatch(u"?", u""));
  SetupSandbox sandbox;
  QDir().mkpath(sandbox.Path(u"loc"_s));
  WriteAll(sandbox.Path(u"loc/SM[1].DAT"_s), "x");
  EXPECT_TRUE(MarkerFound(sandbox.Path(u"loc"_s), u"sm[1].dat"_s));
}

TEST(FileOps, TheShellsRecordedDesktopWins) {
  SetupSandbox sandbox;
  SetRegAccessor(MakeFileRegistry(sandbox.Path(u"registry"_s)));
#ifdef _WIN32
  // Without the shell's record there is no desktop to put a link on.
  EXPECT_EQ(DesktopFolder(), QString());
#endif
  ASSERT_TRUE(RegAccessor().Write(RegRoot::CurrentUser, kShellFoldersKey, kDesktopValue,
                                  RegValue::String(sandbox.Path(u"MyDesktop"_s))));
  EXPECT_EQ(DesktopFolder(), sandbox.Path(u"MyDesktop"_s));
  SetRegAccessor(nullptr);
}

#ifdef _WIN32

TEST(FileOps, ShellLinkHoldsTargetFolderAndDescription) {
  SetupSandbox sandbox;
  QDir().mkpath(sandbox.Location());
  const QString target = QDir::toNativeSeparators(sandbox.Location() + u"/my prog.exe"_s);
  WriteAll(target, "MZ");
  const QString link = QDir::toNativeSeparators(sandbox.Path(u"Test Product.LNK"_s));
  ASSERT_TRUE(CreateDesktopLink(link, target, QDir::toNativeSeparators(sandbox.Location()),
                                u"Test Product"_s));
  const auto fields = ReadShellLink(link);
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->target.toLower(), target.toLower());
  EXPECT_EQ(fields->folder.toLower(), QDir::toNativeSeparators(sandbox.Location()).toLower());
  EXPECT_EQ(fields->description, u"Test Product"_s);
  EXPECT_FALSE(CreateDesktopLink(sandbox.Path(u"no/dir/x.LNK"_s), target, u"w"_s, u"P"_s));
}

TEST(FileOps, ReparsePointsAreLinksWhateverTheyLeadTo) {
  // Wine makes no junctions, so the decision is checked on the attributes a junction, a
  // symbolic link to a folder and one to a file show.
  EXPECT_EQ(KindOfAttributes(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            EntryKind::Link);
  EXPECT_EQ(KindOfAttributes(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT),
            EntryKind::Link);
  EXPECT_EQ(KindOfAttributes(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY),
            EntryKind::Folder);
  EXPECT_EQ(KindOfAttributes(FILE_ATTRIBUTE_NORMAL), EntryKind::File);
  EXPECT_EQ(KindOfAttributes(INVALID_FILE_ATTRIBUTES), EntryKind::Absent);
}

TEST(FileOps, RemovingATreeRemovesASymbolicLinkInItAlone) {
  SetupSandbox sandbox;
  QDir().mkpath(sandbox.Path(u"outside"_s));
  QDir().mkpath(sandbox.Path(u"tree"_s));
  WriteAll(sandbox.Path(u"outside/keep.txt"_s), "keep");
  const QString link = sandbox.Path(u"tree/link"_s);
  // Wine 8 reports success and makes nothing.
  if (!CreateSymbolicLinkW(reinterpret_cast<const wchar_t*>(link.utf16()),
                           reinterpret_cast<const wchar_t*>(sandbox.Path(u"outside"_s).utf16()),
                           SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      !QFileInfo::exists(link))
    GTEST_SKIP() << "this system makes no symbolic links";
  EXPECT_EQ(Reach(link).Kind(), EntryKind::Link);
  EXPECT_TRUE(RemoveTree(sandbox.Path(u"tree"_s)));
  EXPECT_EQ(ReadAll(sandbox.Path(u"outside/keep.txt"_s)), QByteArray("keep"));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Path(u"tree"_s)));
}

TEST(FileOps, TheSystemNamesItsFoldersAndFreeSpace) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(WindowsFolder(), QString::fromWCharArray(windows));
  EXPECT_EQ(SystemFolder().toLower(), WindowsFolder().toLower() + u"\\system32"_s);
  SetupSandbox sandbox;
  EXPECT_GT(FreeSpace(sandbox.Root()), 0);
  EXPECT_EQ(FreeSpace(u"Q:\\no such drive"_s), -1);
}

#else

TEST(FileOps, LauncherQuotesWhatTheDesktopWouldReadOtherwise) {
  SetupSandbox sandbox;
  const QString link = sandbox.Path(u"x.desktop"_s);
  ASSERT_TRUE(CreateDesktopLink(link, u"/opt/a \"b\" $c\\d 100%"_s, u"/opt/w\\x"_s, u"P"_s));
  const QString entry = QString::fromUtf8(ReadAll(link));
  EXPECT_TRUE(entry.contains(u"\nExec=\"/opt/a \\\\\"b\\\\\" \\\\$c\\\\\\\\d 100%%\"\n"_s))
      << entry.toStdString();
  EXPECT_TRUE(entry.contains(u"\nPath=/opt/w\\\\x\n"_s));
  EXPECT_TRUE(QFileInfo(link).isExecutable());
  EXPECT_FALSE(CreateDesktopLink(sandbox.Path(u"no/dir/x.desktop"_s), u"t"_s, u"w"_s, u"P"_s));
  // A pipe in the launcher's place is left alone (writing into it would wait for ever).
  ASSERT_EQ(::mkfifo(QFile::encodeName(sandbox.Path(u"p.desktop"_s)).constData(), 0600), 0);
  EXPECT_FALSE(CreateDesktopLink(sandbox.Path(u"p.desktop"_s), u"t"_s, u"w"_s, u"P"_s));
}

#endif

}  // namespace
