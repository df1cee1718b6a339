// What the editor's commands decide, driven without a window: the questions in order, with
// their exact texts, and what reaches the game file, the backup and the game's start.

#include "appfixture.h"
#include "editorcommands.h"
#include "recordingshell.h"

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

}  // namespace
