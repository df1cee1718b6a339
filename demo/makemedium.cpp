// make-medium: writes the sample install medium for setup.
//   make-medium MEDIUM_FOLDER DEFAULT_LOCATION MSCOMPRESS STRIP PROGRAM...
// STRIP may be "-" to pack the programs as they are.

#include "samplemedium.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 6) {
    std::fprintf(stderr,
                 "Usage: make-medium MEDIUM_FOLDER DEFAULT_LOCATION MSCOMPRESS STRIP PROGRAM...\n");
    return 2;
  }
  SampleMedium::Options options;
  options.folder = args[1];
  options.defaultLocation = args[2];
  options.mscompress = args[3];
  if (args[4] != QStringLiteral("-")) options.strip = args[4];
  options.programs = args.mid(5);
  const QString error = SampleMedium::Write(options);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "make-medium: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}
