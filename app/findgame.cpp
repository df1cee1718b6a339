#include "findgame.h"

#include "paths.h"
#include "registrykeys.h"

using namespace Qt::Literals::StringLiterals;

QString InstalledGameFolder() {
  return FolderPart(RegReadString(RegRoot::LocalMachine, kGameKey, u"InstallPath"_s, {}));
}

namespace {

bool HoldsGame(const QString& folder) {
  return !folder.isEmpty() && FileExists(WithTrailingSeparator(folder) + u"Dune2000.exe"_s);
}

void FromSavedSetting(GameSearch& search) {
  search.folder = WithTrailingSeparator(search.savedFolder);
  search.source = GameSearch::Source::EditorSetting;
  search.holdsGame = HoldsGame(search.folder);
  if (search.savedFolder.isEmpty()) {
    search.reason = u"the editor's saved game folder (\"Dune2KLoc\") is empty"_s;
  } else if (!search.holdsGame) {
    search.reason =
        u"the editor's saved game folder \"%1\" holds no Dune2000.exe"_s.arg(search.savedFolder);
  }
}

void FromInstallKey(GameSearch& search) {
  search.folder = FolderPart(search.installPath);
  search.source = search.installOrigin.winePrefix.isEmpty() ? GameSearch::Source::MachineRegistry
                                                            : GameSearch::Source::WinePrefix;
  search.holdsGame = HoldsGame(search.folder);
  if (!search.installFound) {
    search.source = GameSearch::Source::None;
    search.reason =
        u"no machine registry names the game (value \"InstallPath\" of "
        "HKEY_LOCAL_MACHINE\\%1)"_s.arg(kGameKey);
  } else if (search.folder.isEmpty()) {
    search.reason = u"the game's \"InstallPath\" \"%1\" names no folder"_s.arg(search.installPath);
  } else if (!search.holdsGame) {
    search.reason =
        u"the folder \"%1\" named by the game's \"InstallPath\" holds no "
        "Dune2000.exe"_s.arg(search.folder);
  }
}

}  // namespace

GameSearch FindGame() {
  GameSearch search;
  search.firstRun = RegReadString(RegRoot::CurrentUser, kOwnKey, u"Setup"_s, {}) != u"Completed"_s;
  search.savedFolder = RegReadString(RegRoot::CurrentUser, kOwnKey, u"Dune2KLoc"_s, {});
  search.installPath = RegReadString(RegRoot::LocalMachine, kGameKey, u"InstallPath"_s, {});
  if (auto origin = RegAccessor().Origin(RegRoot::LocalMachine, kGameKey, u"InstallPath"_s)) {
    search.installOrigin = *origin;
    search.installFound = true;
  }
  if (search.firstRun) {
    FromInstallKey(search);
  } else {
    FromSavedSetting(search);
  }
  if (!search.holdsGame) search.folder.clear();
  return search;
}
