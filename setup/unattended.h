#pragma once

#include <QString>

#include <cstdio>

// An install without a window, for scripted installs: the script in `sourceFolder` runs into
// `location` (the script's own proposal when empty). The update question answers Yes; a failed
// expansion and a missing disk abort. Every status line and message goes to `out`. Gives the
// exit status: 0 when the installation completed, 1 otherwise.
int RunUnattended(const QString& sourceFolder, const QString& location, std::FILE* out);
