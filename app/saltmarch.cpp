#include "saltmarch.h"

#include "atomicfile.h"
#include "dialogs.h"
#include "findgame.h"
#include "paths.h"
#include "registrykeys.h"
#include "stringtable.h"
#include "textformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QStandardPaths>

TSaltmarch* SaltmarchApp = nullptr;
QString BrowseStart;
int BrowseMode = bmGameFolder;

namespace {

MsgResult AskNoGameFolder(MsgKind kind) {
  return MessageDlg(kind, LoadStr(Str::Err6NoGameFolder), mbYes | mbNo);
}

// The browser's status line holds at most this many characters of a path.
constexpr int kMaxStatusPath = 260;

}  // namespace

// ---- preferences ----

TPreferences::TPreferences() {
  LoadPrefs();
}

TPreferences::~TPreferences() {
  SavePrefs();
}

void TPreferences::LoadPrefs() {
  ShowNoBackupWarn = RegReadInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, 1) != 0;
}

void TPreferences::SavePrefs() {
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kNoBackupWarnValue, ShowNoBackupWarn ? 1 : 0);
}

// ---- the application object ----

TSaltmarch::TSaltmarch(HintPresenter showHint)
    : Store(std::make_unique<TDune2kFile>()),
      Document(std::make_unique<TUnitDocument>(*Store)),
      Preferences(std::make_unique<TPreferences>()),
      showHint_(std::move(showHint)) {
  LocateGame();
}

TSaltmarch::~TSaltmarch() {
  Preferences.reset();  // saves the preference
  Document.reset();
  Store.reset();
}

void TSaltmarch::SetGameFolder(const QString& folder) {
  const QString previous = GameFolder;
  GameFolder = WithTrailingSeparator(folder);
  Store->GameFolder = GameFolder;
  if (GameFolder.isEmpty() || GameFolder == previous) return;
  // Records read from another folder's file are not this game's: open windows read the new file,
  // so a wrong folder and back ends with the game's own values, not an empty unit. Edits still
  // waiting to be applied are kept as they are; only their history ends here.
  if (Store->HasUnappliedChanges()) {
    Document->ForgetHistory();
  } else {
    ResetSettingsInMemory();
  }
}

void TSaltmarch::SetBackupFolder(const QString& folder) {
  BackupFolder = WithTrailingSeparator(folder);
}

void TSaltmarch::SaveLocations() {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, GameFolder);
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, BackupFolder);
}

void TSaltmarch::LocateGame() {
  // The same search `smarch-units locate` reports; only the questions are the editor's own.
  const GameSearch search = FindGame();
  SetGameFolder(search.folder);
  if (search.firstRun) {
    // First run: the game told where it is; the backup goes beside the editor.
    SetBackupFolder(DefaultBackupFolder());
    CreateOneFolder(BackupFolder);
    if (MessageDlg(MsgKind::Confirmation,
                   LoadStr(Str::AppTitle) + LoadStr(Str::FirstRunBackupQuestion),
                   mbYes | mbNo) == MsgResult::Yes) {
      // A backup the user chose to keep counts; one left from a failed attempt does not.
      if (BackupGameFile() || keptOlderBackup_) {
        MessageDlg(MsgKind::Information, LoadStr(Str::BackupSuccessful), mbOK);
      } else {
        MessageDlg(MsgKind::Error, LoadStr(Str::BackupFailed), mbOK);
      }
    }
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
    return;
  }

  if (!search.holdsGame && AskNoGameFolder(MsgKind::Error) == MsgResult::Yes) BrowseForGame();
  SetBackupFolder(RegReadString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, {}));
}

// ---- folder browsers ----

int BrowseCallback(BrowserControl& browser, BrowseEvent event, const QString& path) {
  if (event == BrowseEvent::Initialized) {
    // Windows takes a forward slash as a separator too.
    if (BrowseStart.endsWith(PathSeparator()) || BrowseStart.endsWith(u'/')) BrowseStart.chop(1);
    if (!BrowseStart.isEmpty()) browser.SelectFolder(BrowseStart);
    return 0;
  }
  const QString shown = path.left(kMaxStatusPath);
  if (!shown.isEmpty()) browser.SetStatusText(shown);
  if (BrowseMode == bmGameFolder) {
    browser.EnableOK(HoldsGame(shown));
  } else {
    browser.EnableOK(!shown.isEmpty() && !FileExists(shown + NativeText(u"\\templates.bin")));
  }
  return 0;
}

void TSaltmarch::BrowseForGame() {
  // The user is asked again as long as they want to and the folder holds no Dune2000.exe.
  for (;;) {
    BrowseStart = GameFolder;
    BrowseMode = bmGameFolder;
    const auto chosen = Dialogs().BrowseForFolder({LoadStr(Str::BrowseGameTitle), &BrowseCallback});
    if (!chosen) return;
    if (!chosen->isEmpty()) SetGameFolder(*chosen);
    if (HoldsGame(GameFolder)) return;
    if (AskNoGameFolder(MsgKind::Error) != MsgResult::Yes) return;
  }
}

void TSaltmarch::BrowseForBackupFolder() {
  BrowseStart = BackupFolder;
  BrowseMode = bmBackupFolder;
  const auto chosen = Dialogs().BrowseForFolder({LoadStr(Str::BrowseBackupTitle), &BrowseCallback});
  if (chosen && !chosen->isEmpty()) SetBackupFolder(*chosen);
}

// ---- settings windows ----

int TSaltmarch::RegisterSettingsWindow(QObject* window) {
  for (size_t i = 0; i < SettingsWindows.size(); ++i) {
    if (SettingsWindows[i].isNull()) {
      SettingsWindows[i] = window;
      return int(i);
    }
  }
  SettingsWindows.emplace_back(window);
  return int(SettingsWindows.size() - 1);
}

int TSaltmarch::UnregisterSettingsWindow(QObject* window) {
  for (size_t i = 0; i < SettingsWindows.size(); ++i) {
    if (SettingsWindows[i] == window) {
      SettingsWindows[i] = nullptr;
      return int(i);
    }
  }
  return int(SettingsWindows.size());
}

bool TSaltmarch::CloseSettingsWindows() {
  // Index by index: a window that closes takes itself out of the list meanwhile.
  for (size_t i = 0; i < SettingsWindows.size(); ++i) {
    // The windows are widgets, but this layer knows them only as objects with a close slot.
    if (QObject* window = SettingsWindows[i]) QMetaObject::invokeMethod(window, "close");
  }
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (const QPointer<QObject>& window : SettingsWindows) {
    if (!window.isNull()) return false;
  }
  return true;
}

void TSaltmarch::ResetSettingsInMemory() {
  Document->Reload();
  for (size_t i = 0; i < SettingsWindows.size(); ++i) {
    if (QObject* window = SettingsWindows[i]) {
      QEvent reset(WM_RESETUNITS);
      QCoreApplication::sendEvent(window, &reset);
    }
  }
}

// ---- the hint after a save ----

void TSaltmarch::ShowHint(int n) {
  const QString value = HintValue(n);
  if ((RegReadInteger(RegRoot::CurrentUser, kHintsKey, value, 1) & 0xFF) == 0) return;
  if (showHint_ && showHint_(HintTexts[n])) {
    RegWriteInteger(RegRoot::CurrentUser, kHintsKey, value, 0);
  }
}

// ---- backup and restore ----

QString TSaltmarch::GameFileName() const {
  return TemplatesPath(GameFolder);
}

QString DefaultBackupFolder() {
#ifdef _WIN32
  return ProgramFolder() + QStringLiteral("Dune2kBak");
#else
  // Beside the program is often a folder the user can't write (a system-wide install), so the
  // backup goes into the user's own data folder.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString parent = data + QStringLiteral("/Saltmarch98");
  QDir().mkpath(parent);
  return WithTrailingSeparator(parent + QStringLiteral("/Dune2kBak"));
#endif
}

QString TSaltmarch::BackupFileName() const {
  return BackupFolder + NativeText(u"\\templates.bin");
}

bool TSaltmarch::BackupExists() const {
  return !BackupFolder.isEmpty() && FileExists(BackupFolder + QStringLiteral("Templates.bin"));
}

bool TSaltmarch::AskForMissingFolders() {
  bool browsed = false;
  if (GameFolder.isEmpty() && MessageDlg(MsgKind::Warning, LoadStr(Str::Err6NoGameFolder),
                                         mbYes | mbNo) == MsgResult::Yes) {
    BrowseForGame();
    browsed = true;
  }
  if (BackupFolder.isEmpty() && MessageDlg(MsgKind::Warning, LoadStr(Str::Err8NoBackupFolder),
                                           mbYes | mbNo) == MsgResult::Yes) {
    BrowseForBackupFolder();
    browsed = true;
  }
  return browsed;
}

bool TSaltmarch::BackupGameFile() {
  if (GameFolder.isEmpty() || BackupFolder.isEmpty()) {
    return AskForMissingFolders() && BackupGameFile();
  }
  keptOlderBackup_ = false;
  QString error;
  int mkdirError = 0;
  if (!CreateOneFolder(BackupFolder, &mkdirError) && !FolderExists(BackupFolder)) {
    // The copy would only say "No such file or directory"; the folder is the real cause.
    error = QStringLiteral("%1: %2").arg(BackupFolder, SystemErrorText(mkdirError));
  } else if (BackupExists() && MessageDlg(MsgKind::Warning, LoadStr(Str::Err11BackupExists),
                                          mbYes | mbNo) == MsgResult::No) {
    keptOlderBackup_ = true;
    return false;
  } else if (CopyFileReplacing(GameFileName(), BackupFileName(), &error)) {
    return true;
  }
  if (MessageDlg(MsgKind::Warning, Format(LoadStr(Str::Err7BackupFailed), {error}),
                 mbAbort | mbRetry) == MsgResult::Retry) {
    return BackupGameFile();
  }
  return false;
}

void TSaltmarch::RestoreGameFile() {
  if (GameFolder.isEmpty() || BackupFolder.isEmpty()) {
    if (AskForMissingFolders()) RestoreGameFile();
    return;
  }
  // The backup is read whole before the game file is touched; the game file is written through
  // a link (as mod managers make them) into the file it points to, never replacing the link.
  QString error;
  QByteArray saved;
  if (!ReadWholeFile(BackupFileName(), saved, &error) ||
      !WriteThroughLinks(GameFileName(), saved, &error)) {
    if (MessageDlg(MsgKind::Warning, Format(LoadStr(Str::Err9RestoreFailed), {error}),
                   mbAbort | mbRetry) == MsgResult::Retry) {
      RestoreGameFile();
    }
    return;
  }
  if (MessageDlg(MsgKind::Warning, LoadStr(Str::ResetAfterRestoreQuestion), mbYes | mbNo) ==
      MsgResult::Yes) {
    ResetSettingsInMemory();
  }
}
