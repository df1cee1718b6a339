#pragma once

#include "dialogs.h"
#include "templatestore.h"
#include "unitdocument.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The message the application object sends every open settings window when the settings in
// memory have been reset: the window reloads its unit from the store without asking.
inline constexpr int WM_USER = 0x0400;
inline constexpr QEvent::Type WM_RESETUNITS = static_cast<QEvent::Type>(WM_USER + 1);

// The user's preference: warn about applying changes without a backup.
class TPreferences {
 public:
  TPreferences();   // loads
  ~TPreferences();  // saves
  void LoadPrefs();
  void SavePrefs();
  bool ShowNoBackupWarn = true;
};

// Where backups go unless the user chooses otherwise: beside the program on Windows, in the
// user's data folder elsewhere (~/.local/share/Saltmarch98/Dune2kBak/), whose parent is made.
QString DefaultBackupFolder();

// What the folder browser is choosing, and the folder it starts on.
enum BrowseModes : int { bmGameFolder = 1, bmBackupFolder = 2 };
extern QString BrowseStart;
extern int BrowseMode;
// Called by the folder browser: preselects BrowseStart when set up; on every selection shows
// its path and enables OK only for a folder that suits the mode (holding Dune2000.exe for the
// game; holding no templates.bin for the backup).
int BrowseCallback(BrowserControl& browser, BrowseEvent event, const QString& path);

// Shows hint text to the user and answers whether they asked never to see it again. The
// windows supply the form; without one, hints are not shown.
using HintPresenter = std::function<bool(const QString& text)>;

// The application object: knows where the game and its backup are, owns the template store and
// the preference, keeps the list of open settings windows, and backs up and restores the game
// file. One exists from the main frame's creation to its granted close.
class TSaltmarch {
 public:
  explicit TSaltmarch(HintPresenter showHint = {});
  ~TSaltmarch();
  TSaltmarch(const TSaltmarch&) = delete;
  TSaltmarch& operator=(const TSaltmarch&) = delete;

  void SetGameFolder(const QString& folder);
  void SetBackupFolder(const QString& folder);
  void SaveLocations();
  void LocateGame();
  void BrowseForGame();
  void BrowseForBackupFolder();

  int RegisterSettingsWindow(QObject* window);
  int UnregisterSettingsWindow(QObject* window);
  bool CloseSettingsWindows();
  void ResetSettingsInMemory();

  void ShowHint(int n);

  bool BackupExists() const;
  bool BackupGameFile();
  void RestoreGameFile();

  // The game's template file and its backup, as the copies name them.
  QString GameFileName() const;
  QString BackupFileName() const;

  QString GameFolder;
  QString BackupFolder;
  std::unique_ptr<TDune2kFile> Store;
  // The units as every view shows them, and their undo history; works on Store.
  std::unique_ptr<TUnitDocument> Document;
  std::unique_ptr<TPreferences> Preferences;
  // Open settings windows; an empty slot is free. Grows by one slot when full, never shrinks.
  // Each is a window that closes through its "close" slot and reloads on WM_RESETUNITS.
  std::vector<QPointer<QObject>> SettingsWindows;

 private:
  // Asks for the missing folders (Error #6, Error #8); true when a browser was opened.
  bool AskForMissingFolders();
  // The last backup stopped because the user kept the backup that was there.
  bool keptOlderBackup_ = false;
  HintPresenter showHint_;
};

// The one application object, while it exists.
extern TSaltmarch* SaltmarchApp;
