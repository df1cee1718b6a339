#pragma once

#include "installerui.h"
#include "interpreter.h"

#include <QString>

#include <functional>

// Waiting for the next disk of a medium of several disks, for the setup window and the
// unattended install alike. A folder DISKnnnn in the source folder marks disk n as being in the
// drive; the files of a disk are read from the source folder, or from that folder where the
// medium keeps each disk in a folder of its own.

// The folder that identifies disk n on the medium, as the medium's maker names it.
QString DiskFolder(const RunState& state, int n);

// What the one asked for a disk answers.
enum class DiskAnswer {
  Look,    // the disk should be in now: look for it, and ask again when it is still missing
  GiveUp,  // the installation stops
};

// Asks for a disk; `prompt` is the text that names it ("Insert Disk 2 Into Drive").
using DiskAsker = std::function<DiskAnswer(const QString& prompt)>;

// Waits for disk n: at once when it is the current disk; otherwise asks `ask` until the disk's
// folder is there, whatever the letter case of its name (disk n then becomes the current one),
// or until `ask` gives up: then message 19 in an Error box and EndSetup. True to go on.
bool AwaitDisk(InstallerUi& ui, RunState& state, int n, const DiskAsker& ask);
