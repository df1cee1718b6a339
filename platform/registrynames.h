#pragma once

#include <QString>

// Every registry key and value name the programs read or write. These names live on in users'
// registries and settings files, written by earlier versions, so none of them may change.

// ---- HKEY_CURRENT_USER: the editor's own settings ----

// The editor's own key. The leading backslash makes it absolute below the root.
inline const QString kOwnKey = QStringLiteral("\\SOFTWARE\\Pellworth Software\\Saltmarch98\\");
// kSetupCompleted once the first run is over; anything else, or nothing, is a first run.
inline const QString kSetupValue = QStringLiteral("Setup");
inline const QString kSetupCompleted = QStringLiteral("Completed");
// The game folder and the backup folder, saved when the editor closes.
inline const QString kGameFolderValue = QStringLiteral("Dune2KLoc");
inline const QString kBackupFolderValue = QStringLiteral("BackupLoc");
// The preference: warn about applying changes without a backup (1 or 0).
inline const QString kNoBackupWarnValue = QStringLiteral("ShowNoBackupWarn");
// Where feedback goes, when a deployment replaces the built-in mailbox and servers.
inline const QString kFeedbackMailboxValue = QStringLiteral("FeedbackMailbox");
inline const QString kFeedbackServerUkValue = QStringLiteral("FeedbackServerUK");
inline const QString kFeedbackServerUsaValue = QStringLiteral("FeedbackServerUSA");

// Where the main window was left, saved when the editor closes: its place and size when not
// maximized (the inner area, in pixels) and whether it was maximized (1 or 0).
inline const QString kFrameLeftValue = QStringLiteral("MainLeft");
inline const QString kFrameTopValue = QStringLiteral("MainTop");
inline const QString kFrameWidthValue = QStringLiteral("MainWidth");
inline const QString kFrameHeightValue = QStringLiteral("MainHeight");
inline const QString kFrameMaximizedValue = QStringLiteral("MainMaximized");

// The hint switches: one integer per hint, whose low byte is 0 once the user turned it off.
inline const QString kHintsKey =
    QStringLiteral("\\SOFTWARE\\Pellworth Software\\Saltmarch98\\Hints\\");
inline QString HintValue(int n) {
  return QStringLiteral("Hint") + QString::number(n);
}

// ---- HKEY_LOCAL_MACHINE: the game's install record, only ever read ----

inline const QString kGameKey = QStringLiteral("SOFTWARE\\Westwood\\Dune 2000");
// The full path of the game's program; its folder is the game folder.
inline const QString kInstallPathValue = QStringLiteral("InstallPath");

// ---- HKEY_CURRENT_USER: where the shell keeps the user's desktop ----

inline const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
inline const QString kDesktopValue = QStringLiteral("Desktop");
