// Reading registry files at the size of real Wine prefixes: generated system.reg files of 10,000
// and 100,000 keys, read the way the machine registry is (one indexing pass, values decoded when
// asked for) and the way the editor's own settings file is (the whole hive in memory).
//   bench_registry [RUNS] [SYSTEM.REG ...]   more files, e.g. a real prefix's, after the runs

#include "regfile.h"
#include "sampleregistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kMachine = QStringLiteral("HKEY_LOCAL_MACHINE");
const QString kGame =
    QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Westwood\\Dune 2000");

template <typename F>
double MedianMs(int runs, F&& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    work();
    ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void Measure(const QString& name, const QByteArray& bytes, int runs) {
  const double mb = bytes.size() / 1e6;
  std::size_t keys = 0, memory = 0;
  const double indexMs = MedianMs(runs, [&] {
    const auto view = RegFileView::Index(bytes, kMachine);
    keys = view ? view->KeyCount() : 0;
    memory = view ? view->MemoryBytes() : 0;
  });
  const double parseMs = MedianMs(runs, [&] { RegHive::Parse(bytes, kMachine); });

  const auto view = RegFileView::Index(bytes, kMachine);
  constexpr int kLookups = 1000;
  QString found;
  const double lookupMs = MedianMs(runs, [&] {
    for (int i = 0; i < kLookups; ++i) {
      if (auto v = view->Value(kGame, QStringLiteral("InstallPath"))) found = v->text;
    }
  });

  std::printf("%s: %.1f MB, %zu keys\n", qPrintable(name), mb, keys);
  std::printf("  indexed view: %.1f ms = %.0f MB/s, memory %.2fx the file\n", indexMs,
              mb / (indexMs / 1000), double(memory) / bytes.size());
  std::printf("  whole parse:  %.1f ms = %.0f MB/s\n", parseMs, mb / (parseMs / 1000));
  std::printf("  game key look-up: %.1f us (%s)\n", lookupMs * 1000 / kLookups,
              found.isEmpty() ? "not found" : qPrintable(found));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  const QString path = QStringLiteral("C:\\Westwood\\Dune2000\\Dune2000.exe");
  for (const int keys : {10000, 100000}) {
    Measure(QStringLiteral("generated system.reg, %1 keys").arg(keys),
            SampleRegistry::WineSystemReg(keys, path), runs);
  }
  for (int i = 2; i < argc; ++i) {
    QFile file(QString::fromLocal8Bit(argv[i]));
    if (file.open(QIODevice::ReadOnly)) Measure(file.fileName(), file.readAll(), runs);
  }
  return 0;
}
