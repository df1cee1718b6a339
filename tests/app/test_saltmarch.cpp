#include "appfixture.h"

namespace {

const QString kFirstRunQuestion = QStringLiteral(
    "Saltmarch 98 : Glass Horizon (\u00DF 1.2) Will Make Changes To Your Dune2000 Game Files. "
    "Therefore We Strongly Suggest That You Back These Files Up. Do You Want To Back Them Up "
    "Now?\r\r*N.B.* - If You Select No, Once Changes Have Been Made, You Will Have To "
    "Re-Install The Game To Get The Default Settings Back.");

using LocateGameTest = AppFixture;

TEST_F(LocateGameTest, FirstRunTakesTheGameFromItsInstallKeyAndOffersABackup) {
  InstallGameInRegistry(game.Folder() + QStringLiteral("Dune2000.exe"));
  dialogs.Answer(MsgResult::Yes);
  TSaltmarch app;
  EXPECT_EQ(app.GameFolder, game.Folder());
  EXPECT_EQ(app.Store->GameFolder, game.Folder());
  // The user's own data folder, made for it: the program's folder may be read-only.
  const QString backupFolder = DefaultBackupDir();
  EXPECT_EQ(app.BackupFolder, backupFolder);
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kFirstRunQuestion, QStringLiteral("Backup Was Successful")}));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Information);
  EXPECT_EQ(ReadAll(WithTrailingSeparator(backupFolder) + QStringLiteral("templates.bin")),
            game.TemplatesBytes());
  EXPECT_EQ(Own(kSetupValue), kSetupCompleted);
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(LocateGameTest, FirstRunWithoutBackupStillCompletes) {
  InstallGameInRegistry(game.Folder() + QStringLiteral("Dune2000.exe"));
  dialogs.Answer(MsgResult::No);
  TSaltmarch app;
  EXPECT_EQ(dialogs.Texts(), QStringList{kFirstRunQuestion});
  EXPECT_TRUE(QDir(app.BackupFolder).exists());  // the folder is made anyway
  EXPECT_FALSE(app.BackupExists());
  EXPECT_EQ(Own(kSetupValue), kSetupCompleted);
}

TEST_F(LocateGameTest, FirstRunWithAFailedBackupSaysSo) {
  // The game's key names a folder without the game: the copy fails and the user gives up.
  InstallGameInRegistry(programDir.path() + QStringLiteral("/nowhere/Dune2000.exe"));
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::Abort);
  TSaltmarch app;
  ASSERT_EQ(dialogs.log.size(), 3u);
  EXPECT_TRUE(dialogs.log[1].text.startsWith(QStringLiteral("Error #7 : ")));
  EXPECT_EQ(dialogs.log[2].kind, MsgKind::Error);
  EXPECT_EQ(dialogs.log[2].text,
            QStringLiteral("Backup Failed.\r*N.B.* - Remember ... Once Changes Have Been Made, "
                           "You Will Have To Re-Install The Game To Get The Default Settings "
                           "Back."));
}

TEST_F(LocateGameTest, AnOlderBackupDoesNotMakeAFailedOneASuccess) {
  // An older backup of another game waits in the default folder; the new copy fails.
  ASSERT_TRUE(QDir().mkpath(DefaultBackupDir()));
  ASSERT_TRUE(WriteAll(WithTrailingSeparator(DefaultBackupDir()) + QStringLiteral("templates.bin"),
                       "older"));
  InstallGameInRegistry(programDir.path() + QStringLiteral("/nowhere/Dune2000.exe"));
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::Yes).Answer(MsgResult::Abort);
  TSaltmarch app;
  ASSERT_EQ(dialogs.log.size(), 4u);
  EXPECT_TRUE(dialogs.log[3].text.startsWith(QStringLiteral("Backup Failed.")));
}

TEST_F(LocateGameTest, FirstRunFindsAGameInstalledWithWine) {
#ifdef _WIN32
  GTEST_SKIP() << "about Wine prefixes seen from outside Windows";
#endif
  // A Wine prefix whose drive C holds the game, recorded in the prefix's own registry.
  QTemporaryDir prefix;
  ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("dosdevices")));
  ASSERT_TRUE(QFile::link(game.Path(QString()), prefix.filePath(QStringLiteral("dosdevices/c:"))));
  ASSERT_TRUE(WriteAll(prefix.filePath(QStringLiteral("system.reg")),
                       "WINE REGISTRY Version 2\n\n[Software\\\\Westwood\\\\Dune 2000] 1\n"
                       "\"InstallPath\"=\"C:\\\\DUNE2000.EXE\"\n"));
  qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
  dialogs.Answer(MsgResult::Yes);
  TSaltmarch app;
  qunsetenv("WINEPREFIX");
  EXPECT_EQ(app.GameFolder, QDir(game.Path(QString())).canonicalPath() + QStringLiteral("/"));
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kFirstRunQuestion, QStringLiteral("Backup Was Successful")}));
  EXPECT_EQ(Own(kSetupValue), kSetupCompleted);
}

TEST_F(LocateGameTest, SetupInAnotherLetterCaseIsStillAFirstRun) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, QStringLiteral("completed"));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, game.Folder());
  dialogs.Answer(MsgResult::No);
  TSaltmarch app;
  EXPECT_EQ(dialogs.Texts(), QStringList{kFirstRunQuestion});
  // No install key: no game folder, and no question about it.
  EXPECT_TRUE(app.GameFolder.isEmpty());
}

TEST_F(LocateGameTest, InstallPathGivesItsFolderPart) {
  InstallGameInRegistry(QStringLiteral("C:\\Games\\Dune2000\\Dune2000.exe"));
  dialogs.Answer(MsgResult::No);
  TSaltmarch app;
  EXPECT_EQ(app.GameFolder, QStringLiteral("C:\\Games\\Dune2000\\"));
}

TEST_F(LocateGameTest, LaterRunsUseTheSavedFolders) {
  SetLaterRun(game.Folder(), QStringLiteral("/some/backup"));
  TSaltmarch app;
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(app.GameFolder, game.Folder());
  // Not tested for existence.
  EXPECT_EQ(app.BackupFolder, QStringLiteral("/some/backup") + PathSeparator());

  // Without its trailing separator the folder is accepted and gets one.
  QString bare = game.Folder();
  bare.chop(1);
  SetLaterRun(bare, QString());
  TSaltmarch again;
  EXPECT_EQ(again.GameFolder, game.Folder());
  EXPECT_TRUE(again.BackupFolder.isEmpty());
}

TEST_F(LocateGameTest, AMissingGameFolderAsksError6) {
  SetLaterRun(programDir.path() + QStringLiteral("/gone/"), QString());
  dialogs.Answer(MsgResult::No);
  TSaltmarch app;
  EXPECT_EQ(dialogs.Texts(), QStringList{kErr6});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Error);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_TRUE(app.GameFolder.isEmpty());
}

TEST_F(LocateGameTest, ASavedFolderOfTheWrongTypeAsksError6AndYesBrowses) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, 12);
  dialogs.Answer(MsgResult::Yes).BrowseChooses(game.Path(QString()));
  TSaltmarch app;
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[0].text, kErr6);
  EXPECT_EQ(dialogs.log[1].type, ScriptedDialogs::Type::Browse);
  EXPECT_EQ(dialogs.log[1].text, QStringLiteral("Find Dune2000.EXE"));
  EXPECT_EQ(app.GameFolder, game.Folder());
}

using BrowserTest = AppFixture;

TEST_F(BrowserTest, TheGameBrowserAsksAgainUntilAFolderHoldsTheGame) {
  SetLaterRun(game.Folder(), QString());
  TSaltmarch app;
  // The first pick can't be confirmed (no Dune2000.exe), so it is cancelled: nothing changes.
  dialogs.BrowseChooses(programDir.path());
  app.BrowseForGame();
  EXPECT_EQ(app.GameFolder, game.Folder());
  EXPECT_FALSE(dialogs.log.back().browseOkEnabled);
  EXPECT_EQ(dialogs.log.back().browseStatus, programDir.path());
  // The browser starts on the current folder, without its trailing separator.
  EXPECT_EQ(dialogs.log.back().browseStart, game.Path(QString()));

  // A folder that loses its game after being chosen makes the question come again.
  QFile::remove(game.Path(QStringLiteral("Dune2000.exe")));
  dialogs.Clear();
  dialogs.Browse([&](const BrowseRequest&, ScriptedDialogs::Record&) {
    return std::optional<QString>(game.Path(QString()));
  });
  dialogs.Answer(MsgResult::Yes).BrowseCancels();
  app.BrowseForGame();
  EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("Find Dune2000.EXE"), kErr6,
                                          QStringLiteral("Find Dune2000.EXE")}));
  EXPECT_EQ(app.GameFolder, game.Folder());  // chosen, though invalid, as the user picked it
}

TEST_F(BrowserTest, TheBackupBrowserRefusesAFolderHoldingTemplatesBin) {
  SetLaterRun(game.Folder(), QStringLiteral("/old/backup/"));
  TSaltmarch app;
  dialogs.BrowseChooses(game.Path(QStringLiteral("data/bin")));
  app.BrowseForBackupFolder();
  EXPECT_FALSE(dialogs.log.back().browseOkEnabled);
  EXPECT_EQ(dialogs.log.back().text,
            QStringLiteral("Select a folder to put the backup files into."));
  EXPECT_EQ(dialogs.log.back().browseStart, QStringLiteral("/old/backup"));
  EXPECT_EQ(app.BackupFolder, QStringLiteral("/old/backup/"));

  dialogs.BrowseChooses(programDir.path());
  app.BrowseForBackupFolder();
  EXPECT_TRUE(dialogs.log.back().browseOkEnabled);
  EXPECT_EQ(app.BackupFolder, programDir.path() + PathSeparator());
  EXPECT_EQ(dialogs.unexpected, 0);
}

class WindowListTest : public RunningApp {
 protected:
  QStringList journal;
};

TEST_F(WindowListTest, FreeSlotsAreReusedAndTheListNeverShrinks) {
  QWidget a, b, c, d;
  EXPECT_EQ(app->RegisterSettingsWindow(&a), 0);
  EXPECT_EQ(app->RegisterSettingsWindow(&b), 1);
  EXPECT_EQ(app->RegisterSettingsWindow(&c), 2);
  EXPECT_EQ(app->UnregisterSettingsWindow(&b), 1);
  EXPECT_EQ(app->RegisterSettingsWindow(&d), 1);
  EXPECT_EQ(app->UnregisterSettingsWindow(&b), 3);  // not in the list: the number of slots
  EXPECT_EQ(app->SettingsWindows.size(), 3u);
  for (QWidget* w : {&a, &c, &d}) app->UnregisterSettingsWindow(w);
}

TEST_F(WindowListTest, ClosingAsksEveryWindowAndReportsTheOnesThatStay) {
  EXPECT_TRUE(app->CloseSettingsWindows());  // nothing open

  auto* first = new TestWindow(journal, QStringLiteral("first"));
  auto* second = new TestWindow(journal, QStringLiteral("second"));
  auto* third = new TestWindow(journal, QStringLiteral("third"));
  second->refuseClose = true;
  EXPECT_FALSE(app->CloseSettingsWindows());
  EXPECT_EQ(journal, (QStringList{QStringLiteral("first asked to close"),
                                  QStringLiteral("second asked to close"),
                                  QStringLiteral("third asked to close")}));
  EXPECT_EQ(app->SettingsWindows[0], nullptr);
  EXPECT_EQ(app->SettingsWindows[1], second);
  EXPECT_EQ(app->SettingsWindows[2], nullptr);
  Q_UNUSED(first);
  Q_UNUSED(third);

  second->refuseClose = false;
  EXPECT_TRUE(app->CloseSettingsWindows());
}

TEST_F(WindowListTest, ResetForgetsTheStoreThenTellsEveryWindowAtOnce) {
  app->Store->LoadInfantry();
  ASSERT_TRUE(app->Store->InfantryLoaded);
  auto* one = new TestWindow(journal, QStringLiteral("one"));
  auto* two = new TestWindow(journal, QStringLiteral("two"));
  app->ResetSettingsInMemory();
  // Delivered before the call returns, in slot order, after the store forgot its records.
  EXPECT_EQ(journal, (QStringList{QStringLiteral("one reset, loaded=0"),
                                  QStringLiteral("two reset, loaded=0")}));
  delete one;
  delete two;
}

using HintTest = AppFixture;

// Stands in for the hint form: records what it was shown and answers whether the user ticked
// the box that stops the hint.
struct HintRecorder {
  QStringList shown;
  bool dontShowAgain = false;
  HintPresenter Presenter() {
    return [this](const QString& text) {
      shown << text;
      return dontShowAgain;
    };
  }
};

TEST_F(HintTest, ShowsUntilTheUserTicksTheBox) {
  SetLaterRun(game.Folder(), QString());
  HintRecorder hints;
  TSaltmarch app(hints.Presenter());
  app.ShowHint(1);
  EXPECT_EQ(hints.shown, QStringList{QStringLiteral(
                             "The Unit Has Been Saved To Memory. The Settings In Dune2000 "
                             "Will Not Change Until You Click On The 'Apply Changes' Button "
                             "On The Main Toolbar")});
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), -1), -1);

  hints.dontShowAgain = true;
  app.ShowHint(1);
  EXPECT_EQ(hints.shown.size(), 2);
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), -1), 0);

  // Switched off: not shown at all.
  app.ShowHint(1);
  EXPECT_EQ(hints.shown.size(), 2);
}

TEST_F(HintTest, OnlyTheLowByteOfTheSwitchCounts) {
  SetLaterRun(game.Folder(), QString());
  HintRecorder hints;
  TSaltmarch app(hints.Presenter());
  RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 0x100);
  app.ShowHint(1);
  EXPECT_TRUE(hints.shown.isEmpty());
  RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 0x101);
  app.ShowHint(1);
  EXPECT_EQ(hints.shown.size(), 1);
}

using PreferencesTest = AppFixture;

TEST_F(PreferencesTest, TheBackupWarningSwitchIsLoadedAndSaved) {
  {
    TPreferences prefs;
    EXPECT_TRUE(prefs.ShowNoBackupWarn);
    prefs.ShowNoBackupWarn = false;
  }
  EXPECT_EQ(RegReadInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, 9), 0);
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, 5);
  TPreferences again;
  EXPECT_TRUE(again.ShowNoBackupWarn);
}

TEST_F(PreferencesTest, TheFoldersReachTheRegistryOnlyWhenSaved) {
  SetLaterRun(game.Folder(), QStringLiteral("/b/"));
  TSaltmarch app;
  app.SetBackupFolder(QStringLiteral("/elsewhere"));
  EXPECT_EQ(Own(kBackupFolderValue), QStringLiteral("/b/"));
  app.SaveLocations();
  EXPECT_EQ(Own(kBackupFolderValue), QStringLiteral("/elsewhere") + PathSeparator());
  EXPECT_EQ(Own(kGameFolderValue), game.Folder());
}

}  // namespace
