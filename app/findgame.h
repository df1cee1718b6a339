#pragma once

#include "registry.h"

#include <QString>

// Where the editor finds the game, worked out without asking anything: what the start-up would
// take, where that came from, and what it saw on the way, for `smarch-units locate` and for
// bug reports.
struct GameSearch {
  enum class Source { None, EditorSetting, MachineRegistry, WinePrefix };

  bool firstRun = true;       // "Setup" is not "Completed": the install key decides
  QString savedFolder;        // "Dune2KLoc", the editor's own setting
  QString installPath;        // "InstallPath" as the program reads it (a Wine path mapped)
  RegOrigin installOrigin;    // where "InstallPath" was found, when it was
  bool installFound = false;  // the machine registry holds "InstallPath"

  Source source = Source::None;
  QString folder;          // the game folder the editor would use, ending in the separator
  bool holdsGame = false;  // that folder holds Dune2000.exe
  QString reason;          // why no game was found
};

GameSearch FindGame();

// The game folder that the install key names: the folder part of "InstallPath".
QString InstalledGameFolder();
