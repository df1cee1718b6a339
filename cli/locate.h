#pragma once

#include <QStringList>

// `smarch-units locate`: prints the game folder the editor would use and where it came from,
// with what was seen on the way; 1 when no game was found, 2 for wrong arguments.
int LocateCommand(const QStringList& args);
