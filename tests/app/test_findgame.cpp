// The search the editor's start-up and `smarch-units locate` share: where the game is, where
// that came from, and why none was found.

#include "appfixture.h"
#include "findgame.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using FindGameTest = AppFixture;

TEST_F(FindGameTest, TellsWhereTheGameCameFromOrWhyNoneWasFound) {
  GameSearch search = FindGame();
  EXPECT_TRUE(search.firstRun);
  EXPECT_EQ(search.source, GameSearch::Source::None);
  EXPECT_TRUE(search.folder.isEmpty());
  EXPECT_TRUE(search.reason.startsWith(u"no machine registry names the game"_s));

  InstallGameInRegistry(game.Folder() + u"Dune2000.exe"_s);
  search = FindGame();
  EXPECT_EQ(search.source, GameSearch::Source::MachineRegistry);
  EXPECT_EQ(search.folder, game.Folder());
#ifdef _WIN32
  EXPECT_EQ(search.installOrigin.file, QString());
  EXPECT_EQ(search.installOrigin.key,
            u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Westwood\\Dune 2000"_s);
#else
  EXPECT_EQ(search.installOrigin.file, registry.Folder() + u"/HKLM.reg"_s);
#endif
  EXPECT_TRUE(search.reason.isEmpty());

  // The editor takes the folder all the same, so it is reported, with why it holds no game.
  InstallGameInRegistry(u"/nowhere/Dune2000.exe"_s);
  search = FindGame();
  EXPECT_EQ(search.folder, u"/nowhere/"_s);
  EXPECT_FALSE(search.holdsGame);
  EXPECT_EQ(search.reason,
            u"the folder \"/nowhere/\" named by the game's \"InstallPath\" holds no "
            "Dune2000.exe"_s);

  // Later runs: the saved folder alone decides, as at start-up.
  SetLaterRun(game.Folder(), {});
  search = FindGame();
  EXPECT_FALSE(search.firstRun);
  EXPECT_EQ(search.source, GameSearch::Source::EditorSetting);
  EXPECT_EQ(search.folder, game.Folder());
  SetLaterRun(u"/gone"_s, {});
  search = FindGame();
  EXPECT_TRUE(search.folder.isEmpty());
  EXPECT_EQ(search.reason, u"the editor's saved game folder \"/gone\" holds no Dune2000.exe"_s);
  EXPECT_TRUE(dialogs.log.empty());  // nothing is asked
}

TEST_F(FindGameTest, TheEditorTakesTheFolderTheSearchReports) {
  const QString gone = programDir.path() + u"/gone/"_s;
  const QString noGame = programDir.path() + u"/nowhere/"_s;
  struct State {
    const char* what;
    bool laterRun;
    QString saved, installed, folder;
  };
  const State states[] = {
      {"first run, the install key names the game", false, {}, game.Folder(), game.Folder()},
      {"first run, nothing installed", false, {}, {}, {}},
      {"first run, the install key names no game", false, {}, noGame, noGame},
      {"first run, a folder saved but not asked for", false, game.Folder(), {}, {}},
      {"later run, the saved folder holds the game", true, game.Folder(), noGame, game.Folder()},
      {"later run, the saved folder lost the game", true, gone, game.Folder(), {}},
      {"later run, no folder saved", true, {}, game.Folder(), {}},
  };
  for (const State& state : states) {
    TestRegistry fresh;
    SetRegAccessor(fresh.Fresh());
    if (state.laterRun) SetLaterRun(state.saved, {});
    if (!state.laterRun && !state.saved.isEmpty()) {
      RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, state.saved);
    }
    if (!state.installed.isEmpty()) {
      ASSERT_TRUE(fresh.InstallGame(state.installed + u"Dune2000.exe"_s));
    }
    const GameSearch search = FindGame();
    dialogs.Clear();
    dialogs.Answer(MsgResult::No);  // the first run's backup question, or Error #6
    const TSaltmarch app;
    EXPECT_EQ(search.folder, state.folder) << state.what;
    EXPECT_EQ(app.GameFolder, search.folder) << state.what;
    // Error #6 comes exactly when a later run finds no game.
    EXPECT_EQ(dialogs.Texts().contains(kErr6), state.laterRun && state.folder.isEmpty())
        << state.what;
  }
}

}  // namespace
