// How long the editor takes from process start to the first paint of its main window, and how
// much memory it holds then, next to two Qt main windows of the same size started the same way:
// a bare one, which never loads a font, and a minimal one showing text (five menus and a status
// line), which pays the font set-up that every window with text pays; and its first run, which
// reads the machine registry, without a Wine prefix and with a real one made by wineboot (the
// game registered in its 32-bit view).
//   bench_startup [RUNS]

#include "realprefix.h"
#include "samplegame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
  double ms;
  long rssKb;
  QString game;
};

Sample RunOnce(const QString& mode, const QProcessEnvironment& env) {
  QProcess probe;
  probe.setProcessEnvironment(env);
  QElapsedTimer timer;
  timer.start();
  probe.start(QStringLiteral(STARTUP_PROBE), {mode});
  probe.waitForReadyRead(30000);
  const double ms = timer.nsecsElapsed() / 1e6;
  const QString line = QString::fromLocal8Bit(probe.readAllStandardOutput().trimmed());
  probe.waitForFinished(30000);
  return {ms, line.section(u' ', 0, 0).toLong(), line.section(u' ', 1)};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A first run each time: the settings file goes before every start.
Sample FirstRun(const QProcessEnvironment& env) {
  QFile::remove(env.value(QStringLiteral("SALTMARCH_REGISTRY_DIR")) + QStringLiteral("/HKCU.reg"));
  return RunOnce(QStringLiteral("editor"), env);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

  QTemporaryDir work;
  const QString game = work.filePath(QStringLiteral("game"));
  SampleGame::Write(game);
  QFile reg(work.filePath(QStringLiteral("HKCU.reg")));
  reg.open(QIODevice::WriteOnly);
  reg.write(QStringLiteral(
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth "
                "Software\\Saltmarch98]\r\n\"Setup\"=\"Completed\"\r\n\"Dune2KLoc\"=\"%1/\"\r\n")
                .arg(game)
                .toUtf8());
  reg.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("SALTMARCH_REGISTRY_DIR"), work.path());
  env.insert(QStringLiteral("WINEPREFIX"), work.filePath(QStringLiteral("no-prefix")));
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }

  const QStringList modes = {QStringLiteral("editor"), QStringLiteral("bare"),
                             QStringLiteral("text")};
  std::vector<std::vector<double>> ms(modes.size());
  std::vector<long> rss(modes.size(), 0);
  for (int i = 0; i < runs; ++i) {  // interleaved, so all see the same machine load
    for (int m = 0; m < modes.size(); ++m) {
      const Sample s = RunOnce(modes[m], env);
      ms[m].push_back(s.ms);
      rss[m] = std::max(rss[m], s.rssKb);
    }
  }
  const double e = Median(ms[0]), b = Median(ms[1]), t = Median(ms[2]);
  std::printf(
      "start to first paint (median of %d): editor %.1f ms, bare window %.1f ms, "
      "window with text %.1f ms\n",
      runs, e, b, t);
  std::printf("  editor / bare %.2f, editor / window with text %.2f\n", e / b, e / t);
  std::printf("resident memory at first paint: editor %ld KB, bare %ld KB, with text %ld KB\n",
              rss[0], rss[1], rss[2]);
  std::printf("  editor / bare %.2f, editor / window with text %.2f\n", double(rss[0]) / rss[1],
              double(rss[0]) / rss[2]);

  // The first run reads the machine registry: here the Wine prefix's system.reg.
  RealWinePrefix wine(work.filePath(QStringLiteral("wine")));
  QElapsedTimer boot;
  boot.start();
  if (!wine.Make(QStringLiteral("C:\\Westwood\\Dune2000\\Dune2000.exe")) ||
      !SampleGame::Write(wine.Prefix() + QStringLiteral("/drive_c/Westwood/Dune2000"))) {
    std::printf("first run with a Wine prefix: not measured (%s)\n", qPrintable(wine.Failure()));
    return 0;
  }
  std::printf("wineboot prefix made in %.1f s, system.reg %lld bytes\n", boot.elapsed() / 1000.0,
              QFile(wine.Prefix() + QStringLiteral("/system.reg")).size());
  QProcessEnvironment withWine = env;
  withWine.insert(QStringLiteral("WINEPREFIX"), wine.Prefix());
  std::vector<double> plainMs, wineMs;
  QString found;
  for (int i = 0; i < runs; ++i) {
    plainMs.push_back(FirstRun(env).ms);
    const Sample w = FirstRun(withWine);
    wineMs.push_back(w.ms);
    found = w.game;
  }
  const double p = Median(plainMs), w = Median(wineMs);
  std::printf(
      "first run to first paint (median of %d): no prefix %.1f ms, real prefix %.1f ms, "
      "ratio %.2f; game found: %s\n",
      runs, p, w, w / p, found.isEmpty() ? "none" : qPrintable(found));
  return 0;
}
