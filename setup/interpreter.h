#pragma once

#include "installerui.h"
#include "script.h"

#include <QString>

#include <vector>

enum class InstallMode { New, Update };

// What a run of the script works with. The setup window fills it before the run.
struct RunState {
  InstallMode mode = InstallMode::New;
  QString sourceFolder;   // the folder setup started in, without a trailing separator
  QString location;       // the install location the user accepted, likewise
  QString currentFolder;  // where relative paths of the commands lead
  int currentDisk = 1;    // kept by the disk prompt
  bool errorsIgnored = false;
  int position = 0;  // the command being run

  // The platform's folders for the macros and the desktop link; an empty desktop folder means
  // no link is made.
  QString windowsFolder;
  QString systemFolder;
  QString desktopFolder;

  // The working buffer: first the script, then the expansion's blocks.
  std::vector<char> buffer;
  // Starts the programs of X; null starts real processes.
  ProgramRunner* runner = nullptr;
};

// Fills the platform's folders with this machine's.
void UseSystemFolders(RunState& state);

enum class RunOutcome {
  Completed,            // message 15 was shown
  CompletedWithErrors,  // message 34: the user ignored a failed expansion
  Stopped,              // a fatal error, an Abort, or an abort at a disk prompt
};

// Runs the command table from the first entry to the last; ends with the final message and
// EndSetup, or stops at the first fatal error (after its message and EndSetup).
RunOutcome RunInstall(InstallScript& script, RunState& state, InstallerUi& ui);

// The argument of C, M or R with its macros replaced (@I, @W, @WS for C only, @@), in the
// platform's form. The caller refuses a result longer than the path limit.
QString ExpandMacros(QStringView argument, const RunState& state, bool systemMacro);
