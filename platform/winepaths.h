#pragma once

#include <QString>

// Finding things inside a Wine prefix, where a game installed with Wine lives.

// $WINEPREFIX, else ~/.wine.
QString WinePrefix();

// A Windows path with a drive letter ("C:\Westwood\Dune2000\Dune2000.exe") as the path of the
// same file here, through the prefix's dosdevices links. Other texts come back unchanged; so
// does a drive the prefix does not know.
QString MapWindowsPath(const QString& path);
