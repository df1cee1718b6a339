// Against a real Wine prefix, made by Debian's wine64 and written by Wine's own `reg add`: the
// editor and `smarch-units locate` find a game that a 32-bit installer registered in a 64-bit
// prefix, and Run Dune2000 starts a Windows program there. One prefix serves every test here;
// making it takes wineboot half a minute or more.

#include "appfixture.h"
#include "editorcommands.h"
#include "findgame.h"
#include "realprefix.h"
#include "samplegame.h"
#include "winepaths.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>

#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kInstallPath = u"C:\\Westwood\\Dune2000\\Dune2000.exe"_s;

struct Rig {
  QTemporaryDir folder;
  RealWinePrefix wine{folder.path()};
  QString GameFolder() const { return wine.Prefix() + u"/drive_c/Westwood/Dune2000"_s; }
};
Rig* rig = nullptr;

class WinePrefixTest : public AppFixture {
 protected:
  static void SetUpTestSuite() {
    rig = new Rig;
    if (!rig->wine.Available()) return;
    QElapsedTimer timer;
    timer.start();
    const bool made = rig->wine.Make(kInstallPath) && SampleGame::Write(rig->GameFolder());
    std::fprintf(stderr, "[wine] prefix %s in %.1f s\n", made ? "made" : "NOT made",
                 timer.elapsed() / 1000.0);
  }
  static void TearDownTestSuite() {
    delete rig;  // stops the prefix's wineserver
    rig = nullptr;
  }

  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "about Wine prefixes seen from outside Windows";
#endif
    if (!rig->wine.Available()) {
      GTEST_SKIP() << "wine64 is not installed (scripts/install-deps.sh installs it)";
    }
    ASSERT_TRUE(rig->wine.Failure().isEmpty()) << rig->wine.Failure().toStdString();
    AppFixture::SetUp();
    qputenv("WINEPREFIX", rig->wine.Prefix().toLocal8Bit());
  }
  void TearDown() override {
    qunsetenv("WINEPREFIX");
    AppFixture::TearDown();
  }

  QString Canonical(const QString& path) const {
    return QFileInfo(path).canonicalFilePath();
  }
};

TEST_F(WinePrefixTest, TheEditorFindsTheGameOnItsFirstRunWithNoOtherQuestion) {
  const QString keyFile = rig->wine.Prefix() + u"/system.reg"_s;
  const QByteArray reg = ReadAll(keyFile);
  ASSERT_TRUE(reg.contains("[Software\\\\Wow6432Node\\\\Westwood\\\\Dune 2000]"));
  ASSERT_TRUE(reg.contains("#arch=win64"));

  const GameSearch search = FindGame();
  EXPECT_EQ(search.source, GameSearch::Source::WinePrefix);
  EXPECT_EQ(search.installOrigin.winePrefix, rig->wine.Prefix());
  EXPECT_EQ(search.installOrigin.stored, kInstallPath);
  EXPECT_TRUE(search.installOrigin.key.contains(u"Wow6432Node"_s));

  dialogs.Answer(MsgResult::No);  // the backup question of every first run
  TSaltmarch app;
  EXPECT_EQ(app.GameFolder, Canonical(rig->GameFolder()) + u'/');
  EXPECT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(WinePrefixTest, LocateNamesTheFolderAndThePrefix) {
  QProcess locate;
  QProcessEnvironment env = rig->wine.Environment();
  env.insert(u"SALTMARCH_REGISTRY_DIR"_s, registry.Folder());
  locate.setProcessEnvironment(env);
  locate.start(QStringLiteral(SMARCH_UNITS_EXE), {u"locate"_s});
  ASSERT_TRUE(locate.waitForFinished(60000));
  const QString out = QString::fromUtf8(locate.readAllStandardOutput());
  EXPECT_EQ(locate.exitCode(), 0) << locate.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains(u"Game folder:       "_s + Canonical(rig->GameFolder()) + u"/\n"_s))
      << out.toStdString();
  EXPECT_TRUE(out.contains(u"the Wine prefix %1 (system.reg)"_s.arg(rig->wine.Prefix())));
  EXPECT_TRUE(out.contains(u"win64"_s));
}

TEST_F(WinePrefixTest, TheInstallerFindsThePrefixsDesktop) {
  const QString desktop = WineDesktopFolder();
  EXPECT_TRUE(desktop.startsWith(Canonical(rig->wine.Prefix() + u"/drive_c"_s) + u"/users/"_s))
      << desktop.toStdString();
  EXPECT_TRUE(desktop.endsWith(u"/Desktop"_s));
  EXPECT_TRUE(QFileInfo(desktop).isDir());
}

TEST_F(WinePrefixTest, RunDune2000StartsTheGameInItsPrefixWithWine64) {
#ifndef _WIN32
  // Wine's own command prompt stands in for the game. With nothing to read it shows one prompt,
  // which names the folder it runs in as the prefix sees it.
  const QString program = rig->GameFolder() + u"/Dune2000.exe"_s;
  ASSERT_TRUE(QFile::remove(program));
  ASSERT_TRUE(QFile::copy(rig->wine.Prefix() + u"/drive_c/windows/system32/cmd.exe"_s, program));
  // Only wine64 on the PATH, as Debian's wine64 package alone leaves it, and no WINEPREFIX: the
  // prefix must be the game's. Wine would make a default one in the empty home.
  QTemporaryDir bin, home;
  ASSERT_TRUE(QFile::link(rig->wine.Wine(), bin.filePath(u"wine64"_s)));
  const QByteArray savedPath = qgetenv("PATH"), savedHome = qgetenv("HOME");
  const auto restore = qScopeGuard([&] {
    qputenv("PATH", savedPath);
    qputenv("HOME", savedHome);
  });
  qputenv("PATH", bin.path().toLocal8Bit());
  qputenv("HOME", home.path().toLocal8Bit());
  qunsetenv("WINEPREFIX");
  SetLaterRun(rig->GameFolder(), programDir.path());
  TSaltmarch app;

  // The game gets the standard output the editor has at its start.
  const QString console = bin.filePath(u"console"_s);
  std::fflush(stdout);
  const int savedOut = dup(STDOUT_FILENO);
  const int out = open(QFile::encodeName(console).constData(), O_WRONLY | O_CREAT, 0600);
  dup2(out, STDOUT_FILENO);
  close(out);
  RunDune2000(app, dialogs);
  dup2(savedOut, STDOUT_FILENO);
  close(savedOut);

  EXPECT_TRUE(dialogs.log.empty()) << dialogs.Texts().join(u'\n').toStdString();
  QElapsedTimer timer;
  timer.start();
  while (!ReadAll(console).contains("C:\\Westwood\\Dune2000>") && timer.elapsed() < 60000) {
    QThread::msleep(100);
  }
  EXPECT_TRUE(ReadAll(console).contains("C:\\Westwood\\Dune2000>")) << ReadAll(console).data();
#endif
}

TEST(LocateCommand, ExitsOneWithTheReasonWhenNoGameIsFound) {
  QTemporaryDir settings, emptyPrefix;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(u"SALTMARCH_REGISTRY_DIR"_s, settings.path());
  env.insert(u"WINEPREFIX"_s, emptyPrefix.path());
  QProcess locate;
  locate.setProcessEnvironment(env);
  locate.start(QStringLiteral(SMARCH_UNITS_EXE), {u"locate"_s});
  ASSERT_TRUE(locate.waitForFinished(60000));
  EXPECT_EQ(locate.exitCode(), 1);
  // Windows ends the line the console's way.
  EXPECT_EQ(QString::fromUtf8(locate.readAllStandardError()).remove(u'\r'),
            u"No game found: no machine registry names the game (value \"InstallPath\" of "
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Westwood\\Dune 2000).\n"_s);
  const QString out = QString::fromUtf8(locate.readAllStandardOutput());
#ifdef _WIN32
  // Windows has no registry files: WINEPREFIX and the settings folder mean nothing there.
  EXPECT_TRUE(
      out.contains(u"Settings:          the system registry, "
                   "HKEY_CURRENT_USER\\SOFTWARE\\Pellworth Software\\Saltmarch98"_s))
      << out.toStdString();
  EXPECT_TRUE(out.contains(u"Machine registry:  the system registry"_s)) << out.toStdString();
#else
  EXPECT_TRUE(
      out.contains(u"Settings:          the file %1/HKCU.reg (missing)"_s.arg(settings.path())))
      << out.toStdString();
  EXPECT_TRUE(out.contains(u"its system.reg: %1/system.reg (missing)"_s.arg(emptyPrefix.path())))
      << out.toStdString();
#endif
}

}  // namespace
