// smarch-units: lists and changes the unit records of a Dune2000 templates.bin from the command
// line, through the same template store as the editor, so a change touches only its record.
// Each command has a source of its own; this picks one.

#include "commandline.h"
#include "commands.h"
#include "console.h"
#include "help.h"
#include "locate.h"

#include <QCoreApplication>

#include <functional>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

using Run = std::function<int(const QStringList&)>;

const std::map<QString, Run>& Runs() {
  static const std::map<QString, Run> runs = {
      {u"show"_s, ShowCommand},
      {u"set"_s, SetCommand},
      {u"export"_s, [](const QStringList& args) { return ExportCommand(args, Out(), Err()); }},
      {u"import"_s, [](const QStringList& args) { return ImportCommand(args, Out(), Err()); }},
      {u"diff"_s, [](const QStringList& args) { return DiffCommand(args, Out(), Err()); }},
      {u"locate"_s, LocateCommand},
  };
  return runs;
}

int Dispatch(QStringList args) {
  if (args.isEmpty()) {
    return UsageError(Err(), {}, u"which command? %1"_s.arg(CommandNames().join(u", "_s)));
  }
  const QString command = args.takeFirst();
  if (AsksForHelp({command})) {
    Out() << ProgramHelp();
    return 0;
  }
  if (AsksForVersion({command})) {
    Out() << VersionLine(kProgramName) << '\n';
    return 0;
  }
  const auto run = Runs().find(command);
  if (run == Runs().end()) {
    return UsageError(Err(), {}, u"unknown command \"%1\""_s.arg(Visible(command)));
  }
  // A command's --help or --version wins over whatever else its line holds.
  if (AsksForHelp(args)) {
    Out() << CommandHelp(command);
    return 0;
  }
  if (AsksForVersion(args)) {
    Out() << VersionLine(kProgramName) << '\n';
    return 0;
  }
  return run->second(args);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int status = Dispatch(app.arguments().mid(1));
  // Output that never reached its file is a failure, not a success: `export GAME > mod.json` on
  // a full disk must not end in 0, nor diff in its 1 that says "they differ".
  return CloseOutput(status);
}
