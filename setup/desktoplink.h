#pragma once

#include <QString>

// The desktop shortcut the installer leaves behind.

// Puts a shortcut to `target` into `linkFile`: a desktop entry (a launcher) here. Gives false
// when it could not be written; the installer does not report that.
bool CreateDesktopLink(const QString& linkFile, const QString& target, const QString& workingFolder,
                       const QString& description);

// The name a desktop link of `product` gets in the desktop folder.
QString DesktopLinkName(const QString& product);

// The desktop folder: the shell's recorded "Desktop" folder of the current user when the
// registry holds one, else the platform's; an empty text when there is none.
QString DesktopFolder();
