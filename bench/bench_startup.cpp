// How long the editor takes from process start to the first paint of its main window, and how
// much memory it holds then, next to a bare Qt main window of the same size started the same way.
//   bench_startup [RUNS]

#include "samplegame.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
  double ms;
  long rssKb;
};

Sample RunOnce(const QString& mode, const QProcessEnvironment& env) {
  QProcess probe;
  probe.setProcessEnvironment(env);
  QElapsedTimer timer;
  timer.start();
  probe.start(QStringLiteral(STARTUP_PROBE), {mode});
  probe.waitForReadyRead(30000);
  const double ms = timer.nsecsElapsed() / 1e6;
  const long rss = probe.readAllStandardOutput().trimmed().toLong();
  probe.waitForFinished(30000);
  return {ms, rss};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
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
  reg.write(QStringLiteral("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pellworth "
                           "Software\\Saltmarch98]\r\n\"Setup\"=\"Completed\"\r\n\"Dune2KLoc\"=\"%1/\"\r\n")
                .arg(game)
                .toUtf8());
  reg.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("SALTMARCH_REGISTRY_DIR"), work.path());
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }

  std::vector<double> editorMs, bareMs;
  long editorRss = 0, bareRss = 0;
  for (int i = 0; i < runs; ++i) {  // alternating, so both see the same machine load
    const Sample e = RunOnce(QStringLiteral("editor"), env);
    const Sample b = RunOnce(QStringLiteral("bare"), env);
    editorMs.push_back(e.ms);
    bareMs.push_back(b.ms);
    editorRss = std::max(editorRss, e.rssKb);
    bareRss = std::max(bareRss, b.rssKb);
  }
  const double e = Median(editorMs), b = Median(bareMs);
  std::printf("start to first paint (median of %d): editor %.1f ms, bare window %.1f ms, ratio %.2f\n",
              runs, e, b, e / b);
  std::printf("resident memory at first paint: editor %ld KB, bare window %ld KB, ratio %.2f\n",
              editorRss, bareRss, double(editorRss) / double(bareRss));
  return 0;
}
