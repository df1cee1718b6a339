#include "appfixture.h"
#include "stagedfile.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>

#include <QCloseEvent>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>

namespace {

const QString kErr11 =
    QStringLiteral("Error #11 : A Backup Allready Exists, Are You Sure You Want To Overwrite It?");
const QString kResetQuestion = QStringLiteral(
    "You Have Restored The Old Settings. Do You Want To Reset The Settings Saved In Memory As "
    "Well. If You Do Not Do This, The Old Settings May Get Saved Back Into The Restored File "
    "Again.");

QString Err7(const QString& why) {
  return QStringLiteral(
             "Error #7 : An Error Occurred When Backing Up The Dune2000 Game File "
             "(Templates.Bin).\rError Message : \"%1\"")
      .arg(why);
}

QString Err9(const QString& why) {
  return QStringLiteral(
             "Error #9 : An Error Occurred When Restoring The Dune2000 Game File "
             "(Templates.Bin).\rError Message : \"%1\"")
      .arg(why);
}

using BackupTest = RunningApp;

TEST_F(BackupTest, ABackupIsAWholeCopyInItsOwnFolder) {
  EXPECT_FALSE(app->BackupExists());
  EXPECT_TRUE(app->BackupGameFile());
  EXPECT_TRUE(dialogs.log.empty());  // success is the caller's to report
  EXPECT_EQ(ReadAll(BackupFile()), game.TemplatesBytes());
  EXPECT_TRUE(app->BackupExists());
}

TEST_F(BackupTest, AnExistingBackupIsReplacedOnlyWhenTheUserSaysSo) {
  ASSERT_TRUE(app->BackupGameFile());
  WriteAll(BackupFile(), QByteArray("older backup"));

  dialogs.Answer(MsgResult::No);
  EXPECT_FALSE(app->BackupGameFile());
  EXPECT_EQ(dialogs.Texts(), QStringList{kErr11});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_EQ(ReadAll(BackupFile()), QByteArray("older backup"));

  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  EXPECT_TRUE(app->BackupGameFile());
  EXPECT_EQ(ReadAll(BackupFile()), game.TemplatesBytes());
}

TEST_F(BackupTest, AMissingGameFileGivesError7AndRetryTriesAgain) {
  QFile::remove(game.TemplatesPath());
  dialogs.Answer(MsgResult::Retry).Answer(MsgResult::Abort);
  EXPECT_FALSE(app->BackupGameFile());
  const QString missing = SystemErrorText(kErrorNoSuchFile);
  EXPECT_EQ(dialogs.Texts(), (QStringList{Err7(missing), Err7(missing)}));
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbAbort | mbRetry));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_FALSE(app->BackupExists());
}

TEST_F(BackupTest, RetryThatSucceedsCountsAsABackup) {
  const QByteArray bytes = game.TemplatesBytes();
  QFile::remove(game.TemplatesPath());
  dialogs.Answer(MsgResult::Retry);
  dialogs.onDialog = [&](const ScriptedDialogs::Record&) { game.WriteTemplates(bytes); };
  EXPECT_TRUE(app->BackupGameFile());
  EXPECT_EQ(ReadAll(BackupFile()), bytes);
}

TEST_F(BackupTest, ABackupFolderWhoseParentIsMissingIsNotMade) {
  app->SetBackupFolder(programDir.path() + QStringLiteral("/no/such/parent"));
  dialogs.Answer(MsgResult::Abort);
  EXPECT_FALSE(app->BackupGameFile());
  // The folder that could not be made is named with the reason.
  EXPECT_EQ(dialogs.Texts(), QStringList{Err7(app->BackupFolder + QStringLiteral(": ") +
                                              SystemErrorText(kErrorNoSuchFolder))});
  EXPECT_FALSE(QDir(programDir.path() + QStringLiteral("/no")).exists());
}

TEST_F(BackupTest, MissingFoldersAreAskedForAndTheWholeBackupRepeated) {
  app->SetGameFolder(QString());
  app->SetBackupFolder(QString());
  // No to both: nothing else happens.
  dialogs.Answer(MsgResult::No).Answer(MsgResult::No);
  EXPECT_FALSE(app->BackupGameFile());
  EXPECT_EQ(dialogs.Texts(), (QStringList{kErr6, kErr8}));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Warning);

  // Yes to the game, a folder chosen; No to the backup folder: asked again until both No.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes).BrowseChooses(game.Path(QString())).Answer(MsgResult::No);
  dialogs.Answer(MsgResult::No);
  EXPECT_FALSE(app->BackupGameFile());
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kErr6, QStringLiteral("Find Dune2000.EXE"), kErr8, kErr8}));
  EXPECT_EQ(app->GameFolder, game.Folder());

  // Then the backup folder too: the backup is made.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes).BrowseChooses(programDir.path());
  EXPECT_TRUE(app->BackupGameFile());
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kErr8, QStringLiteral("Select a folder to put the backup files into.")}));
  EXPECT_EQ(ReadAll(programDir.path() + QStringLiteral("/templates.bin")), game.TemplatesBytes());
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(BackupTest, BackupExistsLooksForTheFileWhateverItsCase) {
  app->SetBackupFolder(QString());
  EXPECT_FALSE(app->BackupExists());
  app->SetBackupFolder(backupDir);
  QDir().mkpath(backupDir);
  WriteAll(backupDir + QStringLiteral("/TEMPLATES.BIN"), QByteArray("x"));
  EXPECT_TRUE(app->BackupExists());
}

// A settings window stand-in that reloads on the reset message.
class ReloadingWindow : public QObject {
 public:
  ReloadingWindow() { SaltmarchApp->RegisterSettingsWindow(this); }
  ~ReloadingWindow() override { SaltmarchApp->UnregisterSettingsWindow(this); }
  int shownHealth = -1;

 protected:
  bool event(QEvent* e) override {
    if (e->type() != WM_RESETUNITS) return QObject::event(e);
    SaltmarchApp->Store->LoadInfantry();
    TUnitTemplate unit;
    SaltmarchApp->Store->GetInfantry(1, unit);
    shownHealth = unit.Health;
    return true;
  }
};

TEST_F(BackupTest, RestorePutsTheBackupBackAndOpenWindowsReload) {
  ASSERT_TRUE(app->BackupGameFile());
  const QByteArray original = game.TemplatesBytes();
  // The game file is changed after the backup: Light Infantry's health becomes 999.
  app->Store->LoadInfantry();
  TUnitTemplate unit;
  app->Store->GetInfantry(1, unit);
  unit.Health = 999;
  app->Store->PutInfantry(1, unit);
  app->Store->CommitInfantry(1);
  app->Store->ApplyChanges();
  ASSERT_NE(game.TemplatesBytes(), original);

  ReloadingWindow first, second;
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  app->RestoreGameFile();
  EXPECT_EQ(dialogs.Texts(), QStringList{kResetQuestion});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(game.TemplatesBytes(), original);
  EXPECT_EQ(first.shownHealth, 110);
  EXPECT_EQ(second.shownHealth, 110);
}

TEST_F(BackupTest, RestoreAnsweredNoLeavesMemoryAlone) {
  ASSERT_TRUE(app->BackupGameFile());
  ReloadingWindow window;
  dialogs.Answer(MsgResult::No);
  app->RestoreGameFile();
  EXPECT_EQ(window.shownHealth, -1);
}

TEST_F(BackupTest, RestoreWithoutABackupGivesError9AndLeavesTheGameFile) {
  const QByteArray original = game.TemplatesBytes();
  dialogs.Answer(MsgResult::Retry).Answer(MsgResult::Abort);
  app->RestoreGameFile();
  const QString missing = SystemErrorText(kErrorNoSuchFolder);
  EXPECT_EQ(dialogs.Texts(), (QStringList{Err9(missing), Err9(missing)}));
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbAbort | mbRetry));
  EXPECT_EQ(game.TemplatesBytes(), original);
}

TEST_F(BackupTest, AFailedRestoreNeverLeavesAHalfWrittenGameFile) {
  ASSERT_TRUE(app->BackupGameFile());
  WriteAll(BackupFile(), QByteArray(20000, 'b'));
  const QByteArray original = game.TemplatesBytes();
  const auto full = DiskFault::FullAfter(5000, kErrorDiskFull);
  dialogs.Answer(MsgResult::Abort);
  app->RestoreGameFile();
  EXPECT_EQ(dialogs.Texts(), QStringList{Err9(SystemErrorText(kErrorDiskFull))});
  EXPECT_EQ(game.TemplatesBytes(), original);
  EXPECT_EQ(QDir(game.Path(QStringLiteral("data/bin"))).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("templates.bin")});
}

TEST_F(BackupTest, RestoreWritesThroughALinkIntoTheFileItNames) {
#ifdef _WIN32
  GTEST_SKIP()
      << "links made here are shell shortcuts on Windows, which the file system does not follow";
#else
  // A mod manager keeps the real file elsewhere and links it into the game.
  ASSERT_TRUE(app->BackupGameFile());
  const QByteArray saved = game.TemplatesBytes();
  const QString real = programDir.path() + QStringLiteral("/mods/templates.bin");
  QDir().mkpath(programDir.path() + QStringLiteral("/mods"));
  ASSERT_TRUE(WriteAll(real, QByteArray(saved.size(), 'm')));
  QFile::remove(game.TemplatesPath());
  ASSERT_TRUE(QFile::link(real, game.TemplatesPath()));

  dialogs.Answer(MsgResult::No);
  app->RestoreGameFile();
  EXPECT_EQ(dialogs.Texts(), QStringList{kResetQuestion});
  EXPECT_TRUE(QFileInfo(game.TemplatesPath()).isSymLink());
  EXPECT_EQ(ReadAll(real), saved);
#endif
}

TEST_F(BackupTest, RestoreWorksWhereOnlyTheFileMayBeWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows folders have no write permission of their own to take away";
#else
  ASSERT_TRUE(app->BackupGameFile());
  const QByteArray saved = game.TemplatesBytes();
  game.WriteTemplates(QByteArray(saved.size() + 300, 'g'));
  const QString folder = game.Path(QStringLiteral("data/bin"));
  // Root may write into any folder; an immutable one refuses even root.
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  const bool immutable = ::geteuid() == 0 && QProcess::execute(QStringLiteral("chattr"),
                                                               {QStringLiteral("+i"), folder}) == 0;
  const auto restoreFolder = qScopeGuard([&] {
    if (immutable) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), folder});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  });
  if (::access(folder.toLocal8Bit().constData(), W_OK) == 0) {
    GTEST_SKIP() << "no way to make a folder read-only here";
  }
  dialogs.Answer(MsgResult::No);
  app->RestoreGameFile();
  EXPECT_EQ(dialogs.Texts(), QStringList{kResetQuestion});
  EXPECT_EQ(game.TemplatesBytes(), saved);  // the longer content cut back to the backup's
#endif
}

TEST_F(BackupTest, BackupAndRestoreUseTheFileTheEditorUses) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names differing only in case are one file";
#else
  // Two copies whose names differ only in case: the one the store reads is the game's.
  QDir().mkpath(game.Path(QStringLiteral("Data/Bin")));
  ASSERT_TRUE(WriteAll(game.Path(QStringLiteral("Data/Bin/Templates.bin")), QByteArray("other")));
  ASSERT_TRUE(app->BackupGameFile());
  EXPECT_EQ(ReadAll(BackupFile()), game.TemplatesBytes());
  ASSERT_TRUE(WriteAll(BackupFile(), QByteArray("restored")));
  dialogs.Answer(MsgResult::No);
  app->RestoreGameFile();
  EXPECT_EQ(game.TemplatesBytes(), QByteArray("restored"));
  EXPECT_EQ(ReadAll(game.Path(QStringLiteral("Data/Bin/Templates.bin"))), QByteArray("other"));
#endif
}

TEST_F(BackupTest, ANewBackupKeepsTheGameFilesPermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files have no permission bits";
#else
  ASSERT_TRUE(QFile::setPermissions(game.TemplatesPath(),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  ASSERT_TRUE(app->BackupGameFile());
  struct stat st {};
  ASSERT_EQ(::stat(BackupFile().toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST_F(BackupTest, RestoreWithoutFoldersAsksForThemFirst) {
  app->SetGameFolder(QString());
  dialogs.Answer(MsgResult::No).Answer(MsgResult::No);
  app->RestoreGameFile();
  EXPECT_EQ(dialogs.Texts(), (QStringList{kErr6}));  // the backup folder is set: no Error #8
}

}  // namespace
