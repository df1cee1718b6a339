#pragma once

#include "dialogs.h"

class TSaltmarch;

// The editor's Import Mod and Export Mod, below any window. Each asks through `ask` (the dialog
// service in use, or a scripted one); reading the game's file reports through the store.

// Import Mod: the user picks a mod file and sees the changes it makes to the units in memory;
// when they accept them, the changes are made as one step that can be undone. A mod that can't
// be imported is reported with its faults and changes nothing.
void ImportModFile(TSaltmarch& app, DialogService& ask);

// Export Mod: the units in memory, applied or not, go into a mod file the user names.
void ExportModFile(TSaltmarch& app, DialogService& ask);
