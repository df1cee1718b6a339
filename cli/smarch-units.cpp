// smarch-units: lists and changes the unit records of a Dune2000 templates.bin from the command
// line, through the same template store as the editor, so a change touches only its record.
// Each command has a source of its own; this picks one.

#include "commands.h"
#include "console.h"
#include "locate.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) return Usage();
  const QString command = args.takeFirst();
  int status = kUsage;
  if (command == u"--help"_s || command == u"-h"_s) {
    Out() << kUsageText;
    status = 0;
  } else if (command == u"show"_s) {
    status = ShowCommand(args);
  } else if (command == u"set"_s) {
    status = SetCommand(args);
  } else if (command == u"export"_s) {
    status = ExportCommand(args, Out(), Err());
  } else if (command == u"import"_s) {
    status = ImportCommand(args, Out(), Err());
  } else if (command == u"diff"_s) {
    status = DiffCommand(args, Out(), Err());
  } else if (command == u"locate"_s) {
    status = LocateCommand(args);
  } else {
    status = Usage(u"Unknown command: %1"_s.arg(command));
  }
  // Output that never reached its file is a failure, not a success: `export GAME > mod.json` on
  // a full disk must not end in 0, nor diff in its 1 that says "they differ".
  return CloseOutput(status);
}
