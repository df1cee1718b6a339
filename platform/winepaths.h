#pragma once

#include <QString>

// Finding things inside a Wine prefix, where a game installed with Wine lives.

// $WINEPREFIX, else ~/.wine.
QString WinePrefix();

// The Wine prefix whose drive_c holds `path`, an existing file or folder, as written or once its
// links (such as the prefix's dosdevices) are followed; empty when none does. A prefix is a
// folder that holds drive_c beside dosdevices or system.reg.
QString WinePrefixHolding(const QString& path);

// A Windows path with a drive letter ("C:\Westwood\Dune2000\Dune2000.exe") as the path of the
// same file here, through the prefix's dosdevices links (any letter the prefix has). Where the
// file exists, the letter case of its names is the one on disk. Other texts come back unchanged;
// so does a drive the prefix does not know.
QString MapWindowsPath(const QString& path);

// The Desktop folder that the prefix's user records under "Shell Folders" in user.reg, as a path
// here; empty when the prefix records none or it names no existing folder.
QString WineDesktopFolder();
