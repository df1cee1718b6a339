// snapshots: renders every window of the editor (and the installer) to PNG files named after
// the window classes, in a fixed demo state on the sample game, without a display.
//   snapshots DIR

#include "smapplication.h"
#include "windowset.h"

#include <QDir>
#include <QSet>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SmApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: snapshots DIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(out)) {
    std::fprintf(stderr, "could not make %s\n", argv[1]);
    return 1;
  }
  int written = 0;
  QSet<QString> names;
  const QString problem = VisitDemoWindows([&](const QString& name, QWidget* window) {
    const QString file = QDir(out).filePath(name + QStringLiteral(".png"));
    // The count tells the pictures there are: a second window of one name would replace the
    // first one's picture.
    if (names.contains(name)) {
      std::fprintf(stderr, "two windows are named %s; the second is not pictured\n",
                   qPrintable(name));
      return;
    }
    names.insert(name);
    if (window->grab().save(file)) {
      ++written;
      std::printf("%s\n", qPrintable(file));
    } else {
      std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    }
  });
  if (!problem.isEmpty()) std::fprintf(stderr, "no installer picture: %s\n", qPrintable(problem));
  std::printf("%d pictures written\n", written);
  return written > 0 ? 0 : 1;
}
