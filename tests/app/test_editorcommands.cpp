// What the editor's commands decide, driven without a window: the questions in order, with
// their exact texts, and what reaches the game file, the backup and the game's start.

#include "appfixture.h"
#include "editorcommands.h"
#include "recordingshell.h"
#include "samplegame.h"

#include <QElapsedTimer>
#include <QThread>

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace {

class EditorCommands : public RunningApp {
 protected:
  void SetUp() override {
    RunningApp::SetUp();
    original = game.TemplatesBytes();
  }
  // Light Infantry edited and saved in memory, not yet applied; the save's own notice is
  // forgotten.
  void EditInMemory(int health) {
    app->Store->LoadInfantry();
    TUnitTemplate unit;
    app->Store->GetInfantry(1, unit);
    unit.Health = health;
    app->Store->PutInfantry(1, unit);
    app->Store->CommitInfantry(1);
    dialogs.Clear();
  }

  QByteArray original;
  RecordingShell shell;
};

TEST_F(EditorCommands, ApplyBacksUpTheOriginalFirstWhenTheUserAgrees) {
  EditInMemory(4321);
  dialogs.Answer(MsgResult::Yes);
  ApplyEdits(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kNoBackup, u"Backup Was Successful"_s, u"Changes Have Been Applied"_s}));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Information);
  EXPECT_EQ(ReadAll(BackupFile()), original);
  EXPECT_NE(game.TemplatesBytes(), original);

  // With a backup there, Apply asks nothing more.
  EditInMemory(1234);
  ApplyEdits(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(), QStringList{u"Changes Have Been Applied"_s});
  EXPECT_EQ(ReadAll(BackupFile()), original);
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(EditorCommands, RunAppliesFirstOnlyWhenAskedAndStartsTheGameEitherWay) {
  ASSERT_TRUE(app->BackupGameFile());
  EditInMemory(4321);
  dialogs.Answer(MsgResult::No);
  RunDune2000(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(), QStringList{kRunQuestion});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));
  EXPECT_EQ(game.TemplatesBytes(), original);
  EXPECT_EQ(shell.opened, QStringList{game.Folder() + NativeText(u"\\Dune2000.exe")});

  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  RunDune2000(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(), (QStringList{kRunQuestion, u"Changes Have Been Applied"_s}));
  EXPECT_NE(game.TemplatesBytes(), original);
  EXPECT_EQ(shell.opened.size(), 2);
}

TEST_F(EditorCommands, WithoutAGameFolderNothingIsWrittenOrStarted) {
  ASSERT_TRUE(app->BackupGameFile());
  EditInMemory(4321);
  app->SetGameFolder(QString());
  // Yes to applying first: the apply asks for the folder, then the run asks again.
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::No).Answer(MsgResult::No);
  RunDune2000(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(), (QStringList{kRunQuestion, kErr6, kErr6}));
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_EQ(game.TemplatesBytes(), original);
  EXPECT_TRUE(shell.opened.isEmpty());
}

TEST_F(EditorCommands, BackupSaysHowItWent) {
  EXPECT_TRUE(BackupAndReport(*app, dialogs));
  EXPECT_EQ(dialogs.Texts(), QStringList{u"Backup Was Successful"_s});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Information);

  // Keeping the backup that is there is no new backup: the command says it failed.
  dialogs.Clear();
  dialogs.Answer(MsgResult::No);
  EXPECT_FALSE(BackupAndReport(*app, dialogs));
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_TRUE(dialogs.log[0].text.startsWith(u"Error #11 : "_s));
  EXPECT_EQ(dialogs.log[1].text, kBackupFailed);
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbOK));
}

TEST_F(EditorCommands, ClosingWaitsForEverySettingsWindowBeforeSavingTheFolders) {
  QStringList journal;
  auto* window = new TestWindow(journal, u"infantry"_s);
  window->refuseClose = true;
  app->SetBackupFolder(programDir.path() + u"/moved"_s);
  EXPECT_FALSE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(Own(kBackupFolderValue), backupDir);

  window->refuseClose = false;
  EXPECT_TRUE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(journal, (QStringList{u"infantry asked to close"_s, u"infantry asked to close"_s}));
  EXPECT_EQ(Own(kBackupFolderValue), programDir.path() + u"/moved"_s + PathSeparator());
  EXPECT_EQ(Own(kGameFolderValue), game.Folder());
}

TEST_F(EditorCommands, ClosingOffersToApplyWhatIsOnlyInMemory) {
  EditInMemory(4321);
  dialogs.Answer(MsgResult::Cancel);
  EXPECT_FALSE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(dialogs.Texts(), QStringList{kExitQuestion});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));

  // Yes, but the apply goes no further than the backup question: the editor stays open.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::Cancel);
  EXPECT_FALSE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(dialogs.Texts(), (QStringList{kExitQuestion, kNoBackup}));
  EXPECT_EQ(game.TemplatesBytes(), original);

  ASSERT_TRUE(app->BackupGameFile());
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  EXPECT_TRUE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(dialogs.Texts(), (QStringList{kExitQuestion, u"Changes Have Been Applied"_s}));
  EXPECT_NE(game.TemplatesBytes(), original);

  // No closes and leaves the file as it is; with nothing unapplied nothing is asked.
  const QByteArray applied = game.TemplatesBytes();
  EditInMemory(1234);
  dialogs.Answer(MsgResult::No);
  EXPECT_TRUE(ReadyToClose(*app, dialogs));
  EXPECT_EQ(game.TemplatesBytes(), applied);
  ASSERT_TRUE(app->Store->ApplyChanges());
  dialogs.Clear();
  EXPECT_TRUE(ReadyToClose(*app, dialogs));
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(EditorCommands, OnlyCommonControlsBefore471OfferTheDownloadPage) {
  program.commonControls = 0x00040047;
  EXPECT_FALSE(WantsCommonControlsUpdate(dialogs));
  EXPECT_TRUE(dialogs.log.empty());

  program.commonControls = 0x00040046;
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::No);
  EXPECT_TRUE(WantsCommonControlsUpdate(dialogs));
  EXPECT_FALSE(WantsCommonControlsUpdate(dialogs));
  EXPECT_EQ(dialogs.Texts(), (QStringList{kErr10, kErr10}));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo));
}

// Run Dune2000 off Windows with the desktop's own shell, which starts the game with Wine. The
// PATH is one folder of stand-ins called wine or wine64 that each add a line saying how they
// were started; the user's WINEPREFIX names a prefix of their own.
class RunUnderWine : public EditorCommands {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "Windows starts the game through its own shell";
#endif
    EditorCommands::SetUp();
    savedPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    qputenv("WINEPREFIX", "/home/someone/.wine-games");
  }
  void TearDown() override {
    qputenv("PATH", savedPath);
    qunsetenv("WINEPREFIX");
    EditorCommands::TearDown();
  }
  void Executable(const QString& name, const QString& content) {
    ASSERT_TRUE(WriteAll(bin.filePath(name), content.toUtf8()));
    ASSERT_TRUE(QFile(bin.filePath(name)).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  }
  void StandIn(const QString& name) {
    Executable(name,
               uR"sh(#!/bin/sh
printf '%s %s in %s, WINEPREFIX=%s\n' "$0" "$*" "$(pwd -P)" "${WINEPREFIX-unset}" >> '%1'
)sh"_s.arg(bin.filePath(u"starts"_s)));
  }
  // The stand-ins' lines once there are `count`: the game starts without being waited for.
  QStringList Starts(qsizetype count) const {
    QElapsedTimer timer;
    timer.start();
    while (true) {
      const QStringList lines =
          QString::fromUtf8(ReadAll(bin.filePath(u"starts"_s))).split(u'\n', Qt::SkipEmptyParts);
      if (lines.size() >= count || timer.elapsed() > 10000) return lines;
      QThread::msleep(20);
    }
  }
  static QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
  }

  QTemporaryDir bin;
  QByteArray savedPath;
  // The desktop's own shell, in use over the recording one.
  ServiceSlot<ShellService>::InUse desktopShell{ShellSlot(), ShellSlot().Own()};
};

TEST_F(RunUnderWine, AGameInAPrefixRunsInThatPrefixFromItsFolder) {
  FakePrefix prefix;
  QTemporaryDir otherDisk;
  ASSERT_TRUE(SampleGame::Write(prefix.Path(u"drive_c/Westwood/Dune2000"_s)) &&
              SampleGame::Write(otherDisk.path()) &&
              QFile::link(otherDisk.path(), prefix.Path(u"drive_c/Linked"_s)));
  StandIn(u"wine"_s);
  StandIn(u"wine64"_s);
  // As written, through the prefix's drive letter, and linked into drive_c from another disk.
  const QStringList folders = {prefix.Path(u"drive_c/Westwood/Dune2000"_s),
                               prefix.Path(u"dosdevices/c:/Westwood/Dune2000"_s),
                               prefix.Path(u"drive_c/Linked"_s)};
  const QStringList prefixes = {prefix.Path(), Canonical(prefix.Path()), prefix.Path()};
  for (qsizetype i = 0; i < folders.size(); ++i) {
    app->SetGameFolder(folders[i]);
    RunDune2000(*app, dialogs);
    const QStringList starts = Starts(i + 1);
    ASSERT_EQ(starts.size(), i + 1);
    EXPECT_EQ(starts[i],
              u"%1 %2/Dune2000.exe in %3, WINEPREFIX=%4"_s.arg(bin.filePath(u"wine"_s), folders[i],
                                                               Canonical(folders[i]), prefixes[i]));
  }
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(RunUnderWine, AGameOutsideAPrefixRunsInWinesDefaultOneAfterTheApplyQuestion) {
  StandIn(u"wine64"_s);  // what Debian's wine64 package alone brings
  ASSERT_TRUE(app->BackupGameFile());
  EditInMemory(4321);
  dialogs.Answer(MsgResult::Cancel).Answer(MsgResult::No).Answer(MsgResult::No);
  RunDune2000(*app, dialogs);
  RunDune2000(*app, dialogs);
  ASSERT_EQ(Starts(1).size(), 1);
  // A folder called drive_c is no prefix without Wine's own files beside it.
  QTemporaryDir other;
  ASSERT_TRUE(SampleGame::Write(other.filePath(u"drive_c/Dune2000"_s)));
  app->SetGameFolder(other.filePath(u"drive_c/Dune2000"_s));
  qunsetenv("WINEPREFIX");
  RunDune2000(*app, dialogs);

  const QString line = u"%1 %2/Dune2000.exe in %2, WINEPREFIX=%3"_s;
  EXPECT_EQ(Starts(2),
            (QStringList{line.arg(bin.filePath(u"wine64"_s), Canonical(game.Folder()),
                                  u"/home/someone/.wine-games"_s),
                         line.arg(bin.filePath(u"wine64"_s),
                                  Canonical(other.filePath(u"drive_c/Dune2000"_s)), u"unset"_s)}));
  EXPECT_EQ(dialogs.Texts(), (QStringList{kRunQuestion, kRunQuestion, kRunQuestion}));
  EXPECT_EQ(game.TemplatesBytes(), original);
}

TEST_F(RunUnderWine, WithoutWineOrWithAWineThatCannotRunTheUserIsTold) {
  ASSERT_TRUE(app->BackupGameFile());
  EditInMemory(4321);
  dialogs.Answer(MsgResult::No);
  RunDune2000(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(), (QStringList{kRunQuestion, kWineNeeded}));
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Information);
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbOK));

  // Executable, but neither a program nor a script that names its interpreter.
  Executable(u"wine"_s, u"wine --version\n"_s);
  ASSERT_TRUE(app->Store->ApplyChanges());
  dialogs.Clear();
  RunDune2000(*app, dialogs);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.startsWith(
      u"Couldn't Start Dune2000 With Wine (%1: "_s.arg(bin.filePath(u"wine"_s))));
  EXPECT_TRUE(dialogs.log[0].text.endsWith(SystemErrorText(ENOEXEC) + u')'));

  // A game folder that lost its program: Wine would say so only where nobody reads it.
  StandIn(u"wine"_s);
  ASSERT_TRUE(QFile::remove(game.Path(u"Dune2000.exe"_s)));
  dialogs.Clear();
  RunDune2000(*app, dialogs);
  EXPECT_EQ(dialogs.Texts(),
            QStringList{u"Couldn't Start Dune2000 With Wine (%1/Dune2000.exe: %2)"_s.arg(
                QDir::cleanPath(game.Folder()), SystemErrorText(kErrorNoSuchFile))});
  EXPECT_FALSE(QFile::exists(bin.filePath(u"starts"_s)));
}

}  // namespace
