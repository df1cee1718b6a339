#pragma once

#include "registry.h"

#include <QString>

// Where the editor finds the game, worked out without asking anything: the folder the start-up
// takes, where that came from, and what it saw on the way. The editor's start-up builds on it
// and adds only its questions; `smarch-units locate` prints it for bug reports.
struct GameSearch {
  enum class Source { None, EditorSetting, MachineRegistry, WinePrefix };

  bool firstRun = true;       // "Setup" is not "Completed": the install key decides
  QString savedFolder;        // "Dune2KLoc", the editor's own setting
  QString installPath;        // "InstallPath" as the program reads it (a Wine path mapped)
  RegOrigin installOrigin;    // where "InstallPath" was found, when it was
  bool installFound = false;  // the machine registry holds "InstallPath"

  Source source = Source::None;
  // The game folder the editor takes, ending in the separator. On a first run that is the
  // install key's folder as it stands, game or not (the user has not been asked anything yet);
  // on later runs the saved folder only when it still holds the game, else empty.
  QString folder;
  bool holdsGame = false;  // that folder holds Dune2000.exe
  QString reason;          // why no game was found
};

GameSearch FindGame();

// The folder holds the game's program, Dune2000.exe.
bool HoldsGame(const QString& folder);
