#pragma once

#include "dialogs.h"

class TSaltmarch;

// What the editor's commands decide, below any window. Each asks its own questions through
// `ask` (the dialog service in use, or a scripted one); the operations it starts (backup,
// applying, the folder browser) report through the dialog service in use, as they always do.
// The frame's handlers call these and do only the window work.

// Without a game folder nothing can be read, applied or started: asks whether the user wants to
// choose one now (Error #6), and opens the folder browser when they do.
void AskForGameFolder(TSaltmarch& app, DialogService& ask);

// Backs the game file up and says how that went. True when a copy was made.
bool BackupAndReport(TSaltmarch& app, DialogService& ask);

// Apply Changes. Without a backup the user is offered one first, or asked whether to go on
// without; then the edits are written into the game file. Without a game folder the user is
// asked for one instead, and the edits wait for the next Apply.
void ApplyEdits(TSaltmarch& app, DialogService& ask);

// Run Dune2000. Edits not yet applied are offered to Apply Changes first; the game starts
// whatever became of them, unless the user cancels. Without a game folder the user is asked
// for one instead, and nothing starts.
void RunDune2000(TSaltmarch& app, DialogService& ask);

// Closing the editor: every settings window is asked to close, and each may refuse (saving its
// edits into memory when the user wants). Then edits not yet applied are offered to Apply
// Changes first: Yes closes only once they reached the game file, Cancel stays. Once that is
// settled the folders are saved; false while the editor stays open.
bool ReadyToClose(TSaltmarch& app, DialogService& ask);

// With common controls too old to draw the toolbars right, asks whether the user wants the
// download page; true when they do, and the caller opens it.
bool WantsCommonControlsUpdate(DialogService& ask);
