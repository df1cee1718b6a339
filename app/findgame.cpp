#include "findgame.h"

#include "paths.h"
#include "registrykeys.h"

using namespace Qt::Literals::StringLiterals;

bool HoldsGame(const QString& folder) {
  return !folder.isEmpty() && FileExists(WithTrailingSeparator(folder) + u"Dune2000.exe"_s);
}

namespace {

void FromSavedSetting(GameSearch& search) {
  search.folder = WithTrailingSeparator(search.savedFolder);
  search.source = GameSearch::Source::EditorSetting;
  search.holdsGame = HoldsGame(search.folder);
  if (search.savedFolder.isEmpty()) {
    search.reason = u"the editor's saved game folder (\"%1\") is empty"_s.arg(kGameFolderValue);
  } else if (!search.holdsGame) {
    search.reason =
        u"the editor's saved game folder \"%1\" holds no Dune2000.exe"_s.arg(search.savedFolder);
  }
  // A saved folder that lost the game is dropped: the editor asks for another one.
  if (!search.holdsGame) search.folder.clear();
}

// A network path (\\server\share\...) leads nowhere off Windows: taken as a file name, it
// would be a name in the current folder.
bool IsUnreachableNetworkPath(const QString& path) {
#ifdef _WIN32
  Q_UNUSED(path);
  return false;
#else
  return path.startsWith(u"\\\\"_s);
#endif
}

void FromInstallKey(GameSearch& search) {
  const bool unreachable = IsUnreachableNetworkPath(search.installPath);
  if (!unreachable) {
    search.folder = FolderPart(search.installPath);
    // The value names the game's program; some installers leave the folder itself there.
    if (!HoldsGame(search.folder) && HoldsGame(search.installPath))
      search.folder = WithTrailingSeparator(search.installPath);
  }
  search.source = search.installOrigin.winePrefix.isEmpty() ? GameSearch::Source::MachineRegistry
                                                            : GameSearch::Source::WinePrefix;
  search.holdsGame = HoldsGame(search.folder);
  if (!search.installFound) {
    search.source = GameSearch::Source::None;
    search.reason =
        u"no machine registry names the game (value \"%1\" of HKEY_LOCAL_MACHINE\\%2)"_s.arg(
            kInstallPathValue, kGameKey);
  } else if (unreachable) {
    search.reason =
        u"the game's \"%1\" \"%2\" is a network path (\\\\server\\share\\...), "
        u"which this system cannot open; choose the game folder in the editor's "
        u"Preferences"_s.arg(kInstallPathValue, search.installPath);
  } else if (search.folder.isEmpty()) {
    search.reason =
        u"the game's \"%1\" \"%2\" names no folder"_s.arg(kInstallPathValue, search.installPath);
  } else if (!search.holdsGame) {
    search.reason = u"the folder \"%1\" named by the game's \"%2\" holds no Dune2000.exe"_s.arg(
        search.folder, kInstallPathValue);
  }
}

}  // namespace

GameSearch FindGame() {
  GameSearch search;
  search.firstRun =
      RegReadString(RegRoot::CurrentUser, kOwnKey, kSetupValue, {}) != kSetupCompleted;
  search.savedFolder = RegReadString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, {});
  search.installPath = RegReadString(RegRoot::LocalMachine, kGameKey, kInstallPathValue, {});
  if (auto origin = RegAccessor().Origin(RegRoot::LocalMachine, kGameKey, kInstallPathValue)) {
    search.installOrigin = *origin;
    search.installFound = true;
  }
  if (search.firstRun) {
    FromInstallKey(search);
  } else {
    FromSavedSetting(search);
  }
  return search;
}
