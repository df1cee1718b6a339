// Against a real Wine prefix, made by Debian's wine64 and written by Wine's own `reg add`: the
// editor and `smarch-units locate` find a game that a 32-bit installer registered in a 64-bit
// prefix. One prefix serves every test here; making it takes wineboot half a minute or more.

#include "appfixture.h"
#include "findgame.h"
#include "samplegame.h"
#include "winepaths.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

QString FindProgram(const QString& name, const QStringList& fallbacks) {
  const QString onPath = QStandardPaths::findExecutable(name);
  if (!onPath.isEmpty()) return onPath;
  for (const QString& path : fallbacks) {
    if (QFileInfo(path).isExecutable()) return path;
  }
  return {};
}

// The prefix, its Wine programs and an environment of its own (HOME too, so Wine links the
// prefix's Desktop to a folder of the test's and not to the user's).
struct WinePrefixRig {
  QTemporaryDir root;
  QString wine, wineserver, prefix, home;
  QProcessEnvironment env;
  QString failure;

  bool Run(const QString& program, const QStringList& args, int seconds) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(seconds * 1000)) {
      process.kill();
      process.waitForFinished();
      failure = u"%1 %2 took more than %3 s"_s.arg(program, args.join(u' ')).arg(seconds);
      return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
      failure = u"%1 %2 failed: %3"_s.arg(program, args.join(u' '),
                                          QString::fromLocal8Bit(process.readAll()));
      return false;
    }
    return true;
  }

  bool Make() {
    prefix = root.filePath(u"prefix"_s);
    home = root.filePath(u"home"_s);
    QDir().mkpath(home);
    env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WINEPREFIX"_s, prefix);
    env.insert(u"WINEARCH"_s, u"win64"_s);
    env.insert(u"WINEDEBUG"_s, u"-all"_s);
    env.insert(u"HOME"_s, home);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    // A 64-bit-only install has no syswow64\rundll32.exe; wineboot says so and goes on.
    return Run(wine, {u"wineboot"_s, u"-u"_s}, 300) && Run(wineserver, {u"-w"_s}, 120) &&
           Run(wine,
               {u"reg"_s, u"add"_s, u"HKLM\\Software\\Westwood\\Dune 2000"_s, u"/v"_s,
                u"InstallPath"_s, u"/d"_s, u"C:\\Westwood\\Dune2000\\Dune2000.exe"_s, u"/reg:32"_s,
                u"/f"_s},
               120) &&
           Run(wineserver, {u"-w"_s}, 120);
  }

  // No wineserver of this prefix outlives the tests.
  void Stop() {
    if (wineserver.isEmpty() || prefix.isEmpty()) return;
    Run(wineserver, {u"-k"_s}, 60);
    Run(wineserver, {u"-w"_s}, 60);
  }

  QString GameFolder() const { return prefix + u"/drive_c/Westwood/Dune2000"_s; }
};

WinePrefixRig* rig = nullptr;

class WinePrefixTest : public AppFixture {
 protected:
  static void SetUpTestSuite() {
    rig = new WinePrefixRig;
    rig->wine = FindProgram(u"wine64"_s, {u"/usr/lib/wine/wine64"_s});
    rig->wineserver = FindProgram(u"wineserver"_s,
                                  {u"/usr/lib/wine/wineserver64"_s, u"/usr/lib/wine/wineserver"_s});
    if (rig->wine.isEmpty() || rig->wineserver.isEmpty()) return;
    QElapsedTimer timer;
    timer.start();
    if (rig->Make() && !SampleGame::Write(rig->GameFolder())) rig->failure = u"no sample game"_s;
    std::fprintf(stderr, "[wine] prefix made in %.1f s\n", timer.elapsed() / 1000.0);
  }
  static void TearDownTestSuite() {
    rig->Stop();
    delete rig;
    rig = nullptr;
  }

  void SetUp() override {
    if (rig->wine.isEmpty())
      GTEST_SKIP() << "wine64 is not installed (tools/install-deps.sh installs it)";
    ASSERT_TRUE(rig->failure.isEmpty()) << rig->failure.toStdString();
    AppFixture::SetUp();
    qputenv("WINEPREFIX", rig->prefix.toLocal8Bit());
  }
  void TearDown() override {
    qunsetenv("WINEPREFIX");
    AppFixture::TearDown();
  }

  QString Canonical(const QString& path) const { return QFileInfo(path).canonicalFilePath(); }
};

TEST_F(WinePrefixTest, TheEditorFindsTheGameOnItsFirstRunWithNoOtherQuestion) {
  const QString keyFile = rig->prefix + u"/system.reg"_s;
  const QByteArray reg = ReadAll(keyFile);
  ASSERT_TRUE(reg.contains("[Software\\\\Wow6432Node\\\\Westwood\\\\Dune 2000]"));
  ASSERT_TRUE(reg.contains("#arch=win64"));

  const GameSearch search = FindGame();
  EXPECT_EQ(search.source, GameSearch::Source::WinePrefix);
  EXPECT_EQ(search.installOrigin.winePrefix, rig->prefix);
  EXPECT_EQ(search.installOrigin.stored, u"C:\\Westwood\\Dune2000\\Dune2000.exe"_s);
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
  QProcessEnvironment env = rig->env;
  env.insert(u"SALTMARCH_REGISTRY_DIR"_s, registryDir.path());
  locate.setProcessEnvironment(env);
  locate.start(QStringLiteral(SMARCH_UNITS_EXE), {u"locate"_s});
  ASSERT_TRUE(locate.waitForFinished(60000));
  const QString out = QString::fromUtf8(locate.readAllStandardOutput());
  EXPECT_EQ(locate.exitCode(), 0) << locate.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains(u"Game folder:       "_s + Canonical(rig->GameFolder()) + u"/\n"_s))
      << out.toStdString();
  EXPECT_TRUE(out.contains(u"the Wine prefix %1 (system.reg)"_s.arg(rig->prefix)));
  EXPECT_TRUE(out.contains(u"win64"_s));
}

TEST_F(WinePrefixTest, TheInstallerFindsThePrefixsDesktop) {
  const QString desktop = WineDesktopFolder();
  EXPECT_TRUE(desktop.startsWith(Canonical(rig->prefix + u"/drive_c"_s) + u"/users/"_s))
      << desktop.toStdString();
  EXPECT_TRUE(desktop.endsWith(u"/Desktop"_s));
  EXPECT_TRUE(QFileInfo(desktop).isDir());
}

}  // namespace
