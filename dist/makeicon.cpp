// make-icon: writes the programs' icon, as they draw it themselves, to a PNG file for the
// desktop entry.
//   make-icon FILE.png SIZE

#include "appicon.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int size = argc == 3 ? std::atoi(argv[2]) : 0;
  if (size <= 0) {
    std::fprintf(stderr, "Usage: make-icon FILE.png SIZE\n");
    return 2;
  }
  if (!AppIconImage(size).save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
