#include "console.h"

#include <cstdio>

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

QTextStream& Err() {
  static QTextStream err(stderr);
  return err;
}

const char* const kUsageText =
    "Usage:\n"
    "  smarch-units show PATH [--json]\n"
    "  smarch-units set PATH infantry|vehicle N Field=value [Field=value ...]\n"
    "  smarch-units export PATH [--format json|csv] [-o FILE]\n"
    "  smarch-units import PATH FILE [--dry-run]\n"
    "  smarch-units diff A B\n"
    "  smarch-units diff PATH --backup\n"
    "\n"
    "PATH is the game folder (holding data/bin/templates.bin) or a templates.bin itself.\n"
    "Infantry are numbered 1..7, vehicles 1..21. Owners takes a comma-separated list of\n"
    "Atreides, Ordos, Harkonnen (or none); Byte20Set takes 0..5; flags take true or false.\n"
    "export writes every unit as JSON or CSV; import applies such a file (a unit may give only\n"
    "some fields) and writes nothing when any value is refused; diff compares games, backups\n"
    "and exported files: exit code 0 when they are the same, 1 when they differ, 2 on trouble.\n";

int Usage(const QString& problem) {
  if (!problem.isEmpty()) Err() << problem << '\n';
  Err() << kUsageText;
  Err().flush();
  return kUsage;
}

int Refuse(QTextStream& err, const QString& problem) {
  err << problem << '\n';
  return kRefused;
}
