#include "desktoplink.h"
#include "interpreter.h"
#include "sampledir.h"
#include "script.h"
#include "setupstrings.h"
#include "setuptestsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCompleted = u"Installation Completed Successfully"_s;

class Interp : public ::testing::Test {
 protected:
  RunOutcome Run(const QStringList& commands, InstallMode mode = InstallMode::New) {
    state.mode = mode;
    if (!state.runner) state.runner = &runner;
    auto parsed = ParseScript(ScriptText(commands));
    EXPECT_TRUE(parsed);
    if (!parsed) return RunOutcome::Stopped;
    script = *parsed;
    return RunInstall(script, state, ui);
  }
  QString At(const QString& relative) const { return Native(sandbox.Location() + u'/' + relative); }
  bool Exists(const QString& relative) const { return QFileInfo::exists(At(relative)); }

  SetupSandbox sandbox;
  RunState state = sandbox.State();
  RecordingUi ui{state};
  RecordingRunner runner;
  InstallScript script;
};

TEST_F(Interp, RunsEveryCommandAndEndsWithTheCompletionMessage) {
  EXPECT_EQ(Run({u"M:@I\\A"_s, u"C:@I\\A"_s, u"D:nothing.txt"_s}), RunOutcome::Completed);
  EXPECT_EQ(ui.statuses, (QStringList{u"Creating Directory: "_s + Native(At(u"A"_s)),
                                      u"Changing Into Directory: "_s + Native(At(u"A"_s)),
                                      u"Deleting File: nothing.txt"_s}));
  EXPECT_EQ(state.currentFolder, Native(At(u"A"_s)));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].style, 0u);
  EXPECT_EQ(ui.boxes[0].caption, u"Setup"_s);
  EXPECT_EQ(ui.boxes[0].text, kCompleted);
  EXPECT_EQ(ui.steps, 3);
  EXPECT_EQ(ui.repaints, 3);
  EXPECT_EQ(ui.ended, 1);
  EXPECT_EQ(ui.progress, (std::vector<int>{0, 100, 0, 100, 0, 100}));
}

TEST_F(Interp, ModePrefixesPickTheirKindOfInstallation) {
  const QStringList commands{u"oM:@I\\DATA"_s, u"uM:@I\\UPDATED"_s};
  EXPECT_EQ(Run(commands, InstallMode::New), RunOutcome::Completed);
  EXPECT_TRUE(Exists(u"DATA"_s));
  EXPECT_FALSE(Exists(u"UPDATED"_s));
  // The skipped entry shows the bar at 80 before it counts as done.
  EXPECT_EQ(ui.progress, (std::vector<int>{0, 100, 0, 80, 100}));
  EXPECT_EQ(ui.steps, 2);
  // The matching prefix is gone from the table for good, the other one stays.
  EXPECT_EQ(script.commands, (QStringList{u"M:@I\\DATA"_s, u"uM:@I\\UPDATED"_s}));

  QDir(At(u"DATA"_s)).removeRecursively();
  ui.progress.clear();
  EXPECT_EQ(Run(commands, InstallMode::Update), RunOutcome::Completed);
  EXPECT_FALSE(Exists(u"DATA"_s));
  EXPECT_TRUE(Exists(u"UPDATED"_s));
  EXPECT_EQ(ui.progress, (std::vector<int>{0, 80, 100, 0, 100}));
}

TEST_F(Interp, ExpandsThePathMacros) {
  EXPECT_EQ(ExpandMacros(u"@I\\a@@b@Wc@x", state, false),
            Native(sandbox.Location() + u"/a@b"_s + sandbox.Windows() + u"cx"_s));
  EXPECT_EQ(ExpandMacros(u"@WS", state, true), state.systemFolder);
  EXPECT_EQ(ExpandMacros(u"@WS", state, false), sandbox.Windows() + u"S"_s);
  EXPECT_EQ(ExpandMacros(u"end@", state, false), u"end"_s);

  QDir(sandbox.Location()).mkdir(u"@X"_s);
  EXPECT_EQ(Run({u"M:@WS"_s, u"C:@@X"_s, u"C:@WS"_s}), RunOutcome::Completed);
  EXPECT_TRUE(QFileInfo(sandbox.Windows() + u"S"_s).isDir());
  EXPECT_EQ(ui.statuses[1], u"Changing Into Directory: @X"_s);
  EXPECT_EQ(state.currentFolder, state.systemFolder);
}

TEST_F(Interp, FolderFailuresEndSetup) {
  EXPECT_EQ(Run({u"C:missing"_s, u"M:@I\\after"_s}), RunOutcome::Stopped);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"Error"_s);
  EXPECT_EQ(ui.boxes[0].text, u"Unable To Change Into Directory\nInstallation Aborted"_s);
  EXPECT_EQ(ui.ended, 1);
  EXPECT_FALSE(Exists(u"after"_s));

  ui.boxes.clear();
  EXPECT_EQ(Run({u"M:@I\\no\\parent"_s}), RunOutcome::Stopped);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"Unable To Create Directory\nInstallation Aborted"_s);
}

TEST_F(Interp, RefusesPathsBeyondTheLimitInsteadOfCuttingThem) {
  // A long location makes the macros' result longer than any path the installer forms.
  state.location = sandbox.Location() + u'/' + QString(200, u'c') + u'/' + QString(200, u'c');
  const QString longName(100, u'x');
  const QString existing = state.location + u'/' + longName;
  ASSERT_TRUE(QDir().mkpath(existing));
  EXPECT_EQ(Run({u"R:@I\\"_s + longName, u"C:@I\\"_s + longName}), RunOutcome::Stopped);
  EXPECT_TRUE(QFileInfo(existing).isDir());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"Unable To Change Into Directory\nInstallation Aborted"_s);

  ui.boxes.clear();
  EXPECT_EQ(Run({u"M:@I\\"_s + QString(100, u'y')}), RunOutcome::Stopped);
  EXPECT_EQ(ui.boxes.at(0).text, u"Unable To Create Directory\nInstallation Aborted"_s);
  EXPECT_FALSE(QFileInfo::exists(state.location + u'/' + QString(100, u'y')));
}

TEST_F(Interp, ExpandsCompressedAndPlainFilesFromTheMedium) {
  const QByteArray big = TestBytes(100000, 1);
  const QByteArray plain = TestBytes(5000, 2, false);
  sandbox.WriteMedium(u"BIG.EX_"_s, MsCompressed(big));
  sandbox.WriteMedium(u"Plain.Txt"_s, plain);
  EXPECT_EQ(Run({u"E:big.ex_>big.exe"_s, u"E:PLAIN.TXT>plain.txt"_s}), RunOutcome::Completed);
  EXPECT_EQ(ReadAll(At(u"big.exe"_s)), big);
  EXPECT_EQ(ReadAll(At(u"plain.txt"_s)), plain);
  EXPECT_EQ(ui.statuses[0],
            Native(u"Inflating File: "_s + sandbox.Medium() + u"/big.ex_ -> big.exe"_s));
  // One step after every block of 32000 bytes.
  EXPECT_EQ(std::vector<int>(ui.progress.begin(), ui.progress.begin() + 6),
            (std::vector<int>{0, 32, 64, 96, 100, 100}));
  EXPECT_EQ(ui.boxes.at(0).text, kCompleted);
}

TEST_F(Interp, MalformedExpansionEndsSetupWhenItsTurnComes) {
  EXPECT_EQ(Run({u"M:@I\\first"_s, u"E:NAME"_s, u"M:@I\\second"_s}), RunOutcome::Stopped);
  EXPECT_TRUE(Exists(u"first"_s));
  EXPECT_FALSE(Exists(u"second"_s));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"Error"_s);
  EXPECT_EQ(ui.boxes[0].text, u"Format Of Install Script File Invalid\nInstallation Aborted"_s);
}

TEST_F(Interp, RetryRepeatsAFailedExpansion) {
  const QByteArray bytes = TestBytes(40000, 3);
  ui.Answer(idRetry);
  ui.onBox = [&](const BoxRecord&) { sandbox.WriteMedium(u"LATE.DA_"_s, MsCompressed(bytes)); };
  EXPECT_EQ(Run({u"E:LATE.DA_>late.dat"_s}), RunOutcome::Completed);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].style, kBoxAbortRetryIgnore);
  EXPECT_EQ(ui.boxes[0].caption, u"Error"_s);
  EXPECT_EQ(ui.boxes[0].text,
            Native(u"Unable To Open Source File ("_s + sandbox.Medium() + u"/LATE.DA_)"_s));
  EXPECT_EQ(ReadAll(At(u"late.dat"_s)), bytes);
  EXPECT_EQ(ui.statuses.size(), 2);
  EXPECT_EQ(ui.statuses[0], ui.statuses[1]);
  EXPECT_EQ(ui.steps, 1);
}

TEST_F(Interp, IgnoreGoesOnAndChangesTheFinalMessage) {
  ui.Answer(idIgnore);
  EXPECT_EQ(Run({u"E:MISSING.TX_>a.txt"_s, u"M:@I\\after"_s}), RunOutcome::CompletedWithErrors);
  EXPECT_TRUE(Exists(u"after"_s));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].caption, u"Setup"_s);
  EXPECT_EQ(ui.boxes[1].text, SetupString(smCompletedWithErrors));
  EXPECT_EQ(ui.unexpected, 0);
}

TEST_F(Interp, AbortStopsTheRun) {
  sandbox.WriteMedium(u"CUT.EX_"_s, MsCompressed(TestBytes(50000, 4)).left(3000));
  ui.Answer(idAbort);
  EXPECT_EQ(Run({u"E:CUT.EX_>cut.exe"_s, u"M:@I\\after"_s}), RunOutcome::Stopped);
  EXPECT_FALSE(Exists(u"after"_s));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, Native(u"Unable To Decompress LZ Compressed File ("_s +
                                     sandbox.Medium() + u"/CUT.EX_)"_s));
  EXPECT_EQ(ui.ended, 1);
}

TEST_F(Interp, ALocationRightBelowADrivesRootIsMadeAndEntered) {
#ifndef _WIN32
  GTEST_SKIP() << "only Windows names a root that ends in its separator (\"C:\\\")";
#endif
  // The usual C:\Saltmarch98, made at the root of the temporary folder's drive.
  const QString root = Native(QDir::tempPath()).left(3);
  const QString location =
      root + u"smarch-root-"_s + QString::number(QDateTime::currentMSecsSinceEpoch());
  state.location = location;
  state.currentFolder = root;
  EXPECT_EQ(Run({u"M:@I"_s, u"C:@I"_s, u"M:@I\\DATA"_s}), RunOutcome::Completed)
      << ui.Texts().join(u'|').toStdString();
  EXPECT_EQ(ui.statuses[1], u"Changing Into Directory: "_s + location);
  EXPECT_EQ(state.currentFolder, location);
  EXPECT_TRUE(QFileInfo(location + u"\\DATA"_s).isDir());
  EXPECT_TRUE(QDir(location).removeRecursively());
}

TEST_F(Interp, WhatLiesInTheLocationNeverLeadsOutOfIt) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine makes no symbolic links; Windows links are checked on their attributes";
#endif
  const QString outside = sandbox.Path(u"outside"_s);
  QDir().mkpath(outside + u"/subdir"_s);
  WriteAll(outside + u"/target.txt"_s, "target");
  WriteAll(outside + u"/victim.txt"_s, "victim");
  const QByteArray packed = MsCompressed("installed");
  sandbox.WriteMedium(u"F.TX_"_s, packed);
  sandbox.WriteMedium(u"F.001"_s, packed);
  ASSERT_TRUE(QFile::link(outside + u"/target.txt"_s, At(u"flink"_s)));
  ASSERT_TRUE(QFile::link(outside + u"/new.txt"_s, At(u"dangling"_s)));
  ASSERT_TRUE(QFile::link(outside, At(u"linkdir"_s)));
  ASSERT_TRUE(QFile::link(sandbox.Medium() + u"/F.TX_"_s, At(u"mlink"_s)));
  ASSERT_TRUE(HardLink(sandbox.Medium() + u"/F.TX_"_s, At(u"hard"_s)));
  for (int i = 0; i < 5; ++i) ui.Answer(idIgnore);
  const QStringList commands{u"E:F.TX_>flink"_s,         u"E:F.TX_>FLINK"_s,
                             u"E:F.TX_>dangling"_s,      u"E:F.TX_>linkdir\\target.txt"_s,
                             u"E:F.TX_>hard"_s,          u"D:linkdir\\victim.txt"_s,
                             u"R:@I\\linkdir\\subdir"_s, u"D:mlink"_s,
                             u"S:1!F.EX_>flink"_s};
  EXPECT_EQ(Run(commands), RunOutcome::Stopped);
  const QString source = u" ("_s + sandbox.Medium() + u"/F.TX_)"_s;
  EXPECT_EQ(ui.Texts(), (QStringList{u"Destination Is Not A Regular File"_s + source,
                                     u"Destination Is Not A Regular File"_s + source,
                                     u"Destination Is Not A Regular File"_s + source,
                                     u"Unable To Open Destination File"_s + source,
                                     u"Unable To Open Destination File"_s + source,
                                     u"Destination Is Not A Regular File"_s}))
      << ui.Texts().join(u'|').toStdString();
  EXPECT_EQ(ReadAll(outside + u"/target.txt"_s), QByteArray("target"));
  EXPECT_EQ(ReadAll(outside + u"/victim.txt"_s), QByteArray("victim"));
  EXPECT_TRUE(QFileInfo(outside + u"/subdir"_s).isDir());
  EXPECT_FALSE(QFileInfo::exists(outside + u"/new.txt"_s));
  EXPECT_EQ(ReadAll(sandbox.Medium() + u"/F.TX_"_s), packed);
  // D on a link removes the link alone.
  EXPECT_FALSE(QFileInfo(At(u"mlink"_s)).isSymLink());
  EXPECT_EQ(QDir(sandbox.Location())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{u"dangling"_s, u"flink"_s, u"hard"_s, u"linkdir"_s}));

  // Nor can the current folder be moved through a link.
  ui.boxes.clear();
  EXPECT_EQ(Run({u"C:@I\\linkdir"_s, u"E:F.TX_>target.txt"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts(), QStringList{u"Unable To Change Into Directory\nInstallation Aborted"_s});
  EXPECT_EQ(ReadAll(outside + u"/target.txt"_s), QByteArray("target"));
  ui.boxes.clear();
  EXPECT_EQ(Run({u"M:@I\\linkdir"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts(), QStringList{u"Unable To Create Directory\nInstallation Aborted"_s});

  // Paths the script writes with "." and ".." still lead where they say.
  QDir().mkpath(At(u"a/b"_s));
  ui.boxes.clear();
  EXPECT_EQ(Run({u"C:@I\\a\\b\\..\\."_s, u"M:.\\c"_s, u"C:..\\a\\..\\"_s}), RunOutcome::Completed);
  EXPECT_TRUE(Exists(u"a/c"_s));
  EXPECT_EQ(state.currentFolder, sandbox.Location());
}

TEST_F(Interp, AFailedUpdateKeepsTheInstalledFile) {
  const QByteArray installed = TestBytes(70000, 15);
  WriteAll(At(u"prog.exe"_s), installed);
  sandbox.WriteMedium(u"PROG.EX_"_s, MsCompressed(TestBytes(80000, 16)).chopped(900));
  sandbox.WriteMedium(u"PROG.001"_s, MsCompressed(TestBytes(40000, 17)));
  sandbox.WriteMedium(u"PROG.002"_s, MsCompressed(TestBytes(40000, 18)).left(2000));
  ui.Answer(idIgnore);
  EXPECT_EQ(Run({u"E:PROG.EX_>prog.exe"_s, u"S:2!PROG.EX_>PROG.EXE"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts().at(1), u"Unable To Decompress LZ Compressed File"_s)
      << ui.Texts().join(u'|').toStdString();
  EXPECT_EQ(ReadAll(At(u"prog.exe"_s)), installed);
  EXPECT_EQ(QDir(sandbox.Location()).entryList(QDir::Files | QDir::Hidden),
            QStringList{u"prog.exe"_s});

  // A destination whose path is longer than any path is refused, not cut.
  state.location = sandbox.Location() + u'/' + QString(200, u'c') + u'/' + QString(200, u'c');
  state.currentFolder = state.location;
  ASSERT_TRUE(QDir().mkpath(state.location));
  ui.boxes.clear();
  ui.Answer(idIgnore);
  EXPECT_EQ(Run({u"E:PROG.001>"_s + QString(100, u'n')}), RunOutcome::CompletedWithErrors);
  EXPECT_EQ(ui.Texts().at(0),
            Native(u"Unable To Open Destination File ("_s + sandbox.Medium() + u"/PROG.001)"_s));
  EXPECT_TRUE(QDir(state.location).isEmpty());
}

TEST_F(Interp, ACommandLongerThanTheTableHoldsIsRefusedNotCut) {
  sandbox.WriteMedium(u"F.TX_"_s, MsCompressed("content"));
  sandbox.WriteMedium(u"F.001"_s, MsCompressed("content"));
  // Where the commands below would lead if they were cut to the 198 characters an entry holds.
  const QString cutFile(196, u'd');
  const QString cutFolder(193, u'c');
  WriteAll(At(cutFile), "keep");
  QDir().mkpath(At(cutFolder));
  const QString name(230, u'n');
  ui.Answer(idIgnore);
  EXPECT_EQ(Run({u"E:F.TX_>"_s + name, u"D:"_s + QString(230, u'd'), u"M:@I\\"_s + name}),
            RunOutcome::Stopped);
  EXPECT_EQ(
      ui.Texts(),
      (QStringList{Native(u"Unable To Open Destination File ("_s + sandbox.Medium() + u"/F.TX_)"_s),
                   u"Unable To Create Directory\nInstallation Aborted"_s}));
  EXPECT_EQ(ReadAll(At(cutFile)), QByteArray("keep"));
  EXPECT_EQ(QDir(sandbox.Location()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            (QStringList{cutFolder, cutFile}));

  ui.boxes.clear();
  EXPECT_EQ(Run({u"S:1!F.EX_>"_s + name, u"M:@I\\after"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts(), QStringList{u"Unable To Open Destination File"_s});
  ui.boxes.clear();
  EXPECT_EQ(Run({u"C:@I\\"_s + QString(230, u'c'), u"M:@I\\after"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts(), QStringList{u"Unable To Change Into Directory\nInstallation Aborted"_s});
  EXPECT_EQ(QDir(sandbox.Location()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            (QStringList{cutFolder, cutFile}));
}

class Pieces : public Interp {
 protected:
  void SetUp() override {
    whole = TestBytes(90000, 5);
    sandbox.WriteMedium(u"PROG.001"_s, MsCompressed(whole.left(50000)));
    second = MsCompressed(whole.mid(50000));
  }
  QByteArray whole, second;
};

TEST_F(Pieces, JoinAcrossADiskChange) {
  // The user changes disks while the prompt is up: the second piece is now in the drive.
  ui.Answer(idOk);
  ui.onBox = [&](const BoxRecord&) {
    QDir(sandbox.Medium()).mkdir(u"DISK0002"_s);
    sandbox.WriteMedium(u"PROG.002"_s, second);
  };
  EXPECT_EQ(Run({u"S:2!PROG.EX_>PROG.EXE"_s}), RunOutcome::Completed);
  EXPECT_EQ(ReadAll(At(u"PROG.EXE"_s)), whole);
  EXPECT_EQ(ui.statuses,
            (QStringList{
                Native(u"Copying File : "_s + sandbox.Medium() + u"/PROG.001 -> PROG.EXE"_s),
                u"Waiting For Disk: 2"_s,
                Native(u"Copying File : "_s + sandbox.Medium() + u"/PROG.002 -> PROG.EXE"_s),
            }));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].style, kBoxOkCancel | kIconExclamation);
  EXPECT_EQ(ui.boxes[0].caption, u"Setup"_s);
  EXPECT_EQ(ui.boxes[0].text, u"Insert Disk 2 Into Drive"_s);
  EXPECT_EQ(state.currentDisk, 2);
}

TEST_F(Pieces, APieceInTheDiskFolderOfAFolderMedium) {
  sandbox.WriteMedium(u"DISK0002/PROG.002"_s, second);
  ui.Answer(idOk);
  EXPECT_EQ(Run({u"S:2!PROG.EX_>PROG.EXE"_s}), RunOutcome::Completed);
  EXPECT_EQ(ReadAll(At(u"PROG.EXE"_s)), whole);
  EXPECT_EQ(ui.statuses.last(),
            Native(u"Copying File : "_s + sandbox.Medium() + u"/DISK0002/PROG.002 -> PROG.EXE"_s));
}

TEST_F(Pieces, AMissingPieceOnTheNewDiskEndsSetup) {
  QDir(sandbox.Medium()).mkdir(u"DISK0002"_s);
  ui.Answer(idOk);
  EXPECT_EQ(Run({u"S:2!PROG.EX_>PROG.EXE"_s, u"M:@I\\after"_s}), RunOutcome::Stopped);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].style, 0u);
  EXPECT_EQ(ui.boxes[1].caption, u"Error"_s);
  EXPECT_EQ(ui.boxes[1].text, u"Unable To Open Source File"_s);
  EXPECT_FALSE(Exists(u"after"_s));
}

TEST_F(Pieces, BadPieceCommandsEndSetup) {
  EXPECT_EQ(Run({u"S:0!A.EX_>B"_s}), RunOutcome::Stopped);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, u"Setup"_s);
  EXPECT_EQ(ui.boxes[0].text, u"Invalid number of spanned disks."_s);

  for (const QString& bad :
       {u"S:2 PROG.EX_>B"_s, u"S:2!PROG.EX_"_s, u"S:2>B!PROG.EX_"_s, u"S:2!AB>B"_s}) {
    ui.boxes.clear();
    EXPECT_EQ(Run({bad}), RunOutcome::Stopped) << bad.toStdString();
    EXPECT_EQ(ui.boxes.at(0).text,
              u"Format Of Install Script File Invalid\nInstallation Aborted"_s);
  }
}

TEST_F(Interp, DiskPromptAsksUntilTheDiskIsThereOrTheUserGivesUp) {
  ui.Answer(idOk).Answer(idCancel).Answer(idNo).Answer(idOk);
  ui.onBox = [&](const BoxRecord&) {
    if (ui.boxes.size() == 3) QDir(sandbox.Medium()).mkdir(u"DISK0002"_s);
  };
  EXPECT_EQ(Run({u"I:2"_s, u"I:2"_s}), RunOutcome::Completed);
  EXPECT_EQ(ui.Texts(), (QStringList{u"Insert Disk 2 Into Drive"_s, u"Insert Disk 2 Into Drive"_s,
                                     u"Are You Sure You Want To Abort The Installation?"_s,
                                     u"Insert Disk 2 Into Drive"_s, kCompleted}));
  EXPECT_EQ(ui.boxes[2].style, kBoxYesNo | kIconExclamation);
  EXPECT_EQ(ui.boxes[2].caption, u"Warning"_s);
  EXPECT_EQ(ui.statuses, (QStringList{u"Waiting For Disk: 2"_s, u"Waiting For Disk: 2"_s}));

  ui.boxes.clear();
  ui.Answer(idCancel).Answer(idYes);
  EXPECT_EQ(Run({u"I:3"_s, u"M:@I\\after"_s}), RunOutcome::Stopped);
  EXPECT_EQ(ui.Texts().last(),
            u"Installation Not Completed Successfully\nProgram Will Not Function Properly"_s);
  EXPECT_EQ(ui.boxes.back().caption, u"Error"_s);
  EXPECT_FALSE(Exists(u"after"_s));
  EXPECT_EQ(ui.unexpected, 0);
}

TEST_F(Interp, ExecutesAProgramWithTheFiveFields) {
  ASSERT_TRUE(QFile::copy(QString::fromLocal8Bit(ARGRECORDER_EXE), At(u"TOOL.EXE"_s)));
  state.runner = &ProcessRunner();
  EXPECT_EQ(Run({u"X:TOOL.EXE!-q"_s, u"M:@I\\after"_s}, InstallMode::Update),
            RunOutcome::Completed);
  const QStringList lines =
      QString::fromLocal8Bit(ReadAll(At(u"recorded-args.txt"_s))).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[0], u"5"_s);
  EXPECT_TRUE(lines[1].endsWith(u"TOOL.EXE"_s));
  EXPECT_EQ(lines.mid(2), (QStringList{u"-q"_s, sandbox.Medium(), sandbox.Location(), u"U"_s}));
#ifdef _WIN32
  // Every field quoted but the mode letter, the program under the name it was started by.
  EXPECT_EQ(QString::fromLocal8Bit(ReadAll(At(u"recorded-line.txt"_s))),
            u"\""_s + QDir::toNativeSeparators(At(u"TOOL.EXE"_s)) + u"\" \"-q\" \""_s +
                sandbox.Medium() + u"\" \""_s + sandbox.Location() + u"\" U"_s);
#endif
  EXPECT_EQ(ui.statuses[0], u"Executing File: TOOL.EXE"_s);
  EXPECT_GE(ui.repaints, 2);
  EXPECT_TRUE(Exists(u"after"_s));
}

TEST_F(Interp, ProgramsThatDoNotStartAreNotReported) {
  state.runner = &ProcessRunner();
  EXPECT_EQ(Run({u"X:NOSUCH.EXE"_s, u"M:@I\\after"_s}), RunOutcome::Completed);
  EXPECT_TRUE(Exists(u"after"_s));
  EXPECT_EQ(ui.Texts(), QStringList{kCompleted});

  // Without "!" the arguments field is there, empty.
  state.runner = &runner;
  EXPECT_EQ(Run({u"X:tool"_s}), RunOutcome::Completed);
  ASSERT_EQ(runner.arguments.size(), 1u);
  EXPECT_EQ(runner.arguments[0],
            (QStringList{QString(), sandbox.Medium(), sandbox.Location(), u"O"_s}));
  EXPECT_EQ(runner.folders[0], sandbox.Location());

#ifndef _WIN32
  // Nor does a program that a link in the location stands in for.
  QDir().mkpath(sandbox.Path(u"outside"_s));
  ASSERT_TRUE(QFile::link(sandbox.Path(u"outside/tool"_s), At(u"linked"_s)));
  ASSERT_TRUE(QFile::link(sandbox.Path(u"outside"_s), At(u"dir"_s)));
  EXPECT_EQ(Run({u"X:linked"_s, u"X:dir\\tool"_s}), RunOutcome::Completed);
  EXPECT_EQ(runner.programs.size(), 1);
#endif
}

TEST_F(Interp, RemovesATreeButNeverFollowsALinkOutOfIt) {
  const QString outside = sandbox.Path(u"outside"_s);
  QDir().mkpath(outside);
  WriteAll(outside + u"/precious.txt"_s, "keep me");
  QDir().mkpath(At(u"OLD/sub/deeper"_s));
  QDir().mkpath(At(u"OLD/keep"_s));
  WriteAll(At(u"OLD/a.txt"_s), "a");
  WriteAll(At(u"OLD/sub/deeper/b.txt"_s), "b");
  WriteAll(At(u"OLD/keep/readonly.txt"_s), "r");
  QFile::setPermissions(At(u"OLD/keep/readonly.txt"_s), QFileDevice::ReadOwner);
  ASSERT_TRUE(QFile::link(outside, At(u"OLD/sub/link"_s)));
  ASSERT_TRUE(QFile::link(outside, At(u"LINK"_s)));
  QDir().mkpath(At(u"OTHER"_s));

  EXPECT_EQ(Run({u"C:@I\\OTHER"_s, u"R:@I\\OLD"_s, u"R:@I\\LINK"_s}), RunOutcome::Completed);
  EXPECT_EQ(ReadAll(outside + u"/precious.txt"_s), QByteArray("keep me"));
  EXPECT_FALSE(QFileInfo(At(u"LINK"_s)).isSymLink());
  EXPECT_FALSE(Exists(u"OLD/sub"_s));
  EXPECT_FALSE(Exists(u"OLD/a.txt"_s));
  EXPECT_TRUE(Exists(u"OLD/keep/readonly.txt"_s));
  // The current folder is the removed folder's parent afterwards.
  EXPECT_EQ(state.currentFolder, sandbox.Location());
  EXPECT_TRUE(ui.boxes.size() == 1u && ui.boxes[0].text == kCompleted);
}

TEST_F(Interp, DeletesFilesOnly) {
  WriteAll(At(u"gone.txt"_s), "x");
  WriteAll(At(u"locked.txt"_s), "x");
  QFile::setPermissions(At(u"locked.txt"_s), QFileDevice::ReadOwner);
  QDir().mkpath(At(u"folder"_s));
  EXPECT_EQ(Run({u"D:GONE.TXT"_s, u"D:locked.txt"_s, u"D:folder"_s, u"D:missing"_s, u"D:"_s}),
            RunOutcome::Completed);
  EXPECT_FALSE(Exists(u"gone.txt"_s));
  EXPECT_TRUE(Exists(u"locked.txt"_s));
  EXPECT_TRUE(Exists(u"folder"_s));
  EXPECT_EQ(ui.Texts(), QStringList{kCompleted});
}

TEST_F(Interp, PutsALauncherOnTheDesktop) {
  EXPECT_EQ(Run({u"L:my prog"_s}), RunOutcome::Completed);
  EXPECT_EQ(ui.statuses[0], u"Creating Desktop Link To: "_s + At(u"my prog"_s));
  const QString link = sandbox.Desktop() + u'/' + DesktopLinkName(u"Test Product"_s);
#ifdef _WIN32
  const auto fields = ReadShellLink(Native(link));
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->target.toLower(), At(u"my prog"_s).toLower());
  EXPECT_EQ(fields->folder.toLower(), sandbox.Location().toLower());
  EXPECT_EQ(fields->description, u"Test Product"_s);
#else
  const QString entry = QString::fromUtf8(ReadAll(link));
  EXPECT_TRUE(entry.startsWith(u"[Desktop Entry]\n"_s)) << entry.toStdString();
  EXPECT_TRUE(entry.contains(u"\nName=Test Product\n"_s));
  EXPECT_TRUE(entry.contains(u"\nExec=\""_s + At(u"my prog"_s) + u"\"\n"_s));
  EXPECT_TRUE(entry.contains(u"\nPath="_s + sandbox.Location() + u"\n"_s));
#endif

  // Without a desktop folder there is no link, and no message.
  state.desktopFolder.clear();
  QFile::remove(link);
  EXPECT_EQ(Run({u"L:prog"_s}), RunOutcome::Completed);
  EXPECT_TRUE(QDir(sandbox.Desktop()).isEmpty());
}

}  // namespace
