#include "help.h"

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Command {
  QString name;
  QStringList usages;  // each without the program's name
  QString summary;     // short enough to stand after the list's indent on one line
  QString details;
  QStringList examples;  // each without the program's name
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {u"show"_s,
       {u"show PATH [--json]"_s},
       u"lists every unit record with all its decoded fields"_s,
       u"PATH is the game folder (holding data/bin/templates.bin) or a templates.bin itself.\n"
       u"--json prints a JSON array instead, each unit with its Kind, Index, Name and Offset."_s,
       {u"show ~/.wine/drive_c/Westwood/Dune2000"_s, u"show templates.bin --json > units.json"_s}},
      {u"set"_s,
       {u"set PATH KIND N Field=value [Field=value ...]"_s},
       u"changes fields of one unit, as Save and Apply Changes do"_s,
       u"KIND is infantry (numbered 1..7) or vehicle (1..21); field names are those that show\n"
       u"lists. Both ignore letter case. Values are held to the ranges the editor's controls\n"
       u"allow (Sight and infantry Armor 0..7). Owners takes a comma-separated list of\n"
       u"Atreides (or Atreidies, as the editor spells it), Ordos and Harkonnen, or none;\n"
       u"Byte20Set takes 0..5 or null; flags take true or false. Every value is checked before\n"
       u"the file is touched, and only the unit's own record is written."_s,
       {u"set GAME vehicle 3 Armor=12 Sight=7"_s,
        u"set GAME infantry 1 Health=150 Owners=Atreides,Ordos"_s}},
      {u"export"_s,
       {u"export PATH [--format json|csv] [-o FILE]"_s},
       u"writes every unit as JSON or CSV text"_s,
       u"PATH is a game folder, a templates.bin, the editor's backup folder or a complete\n"
       u"exported file. The text goes to standard output, or with -o to FILE, which is written\n"
       u"whole or not at all. It is CSV when --format says so or FILE ends in .csv, else JSON."_s,
       {u"export GAME -o clean.json"_s, u"export GAME --format csv > units.csv"_s}},
      {u"import"_s,
       {u"import PATH FILE [--dry-run]"_s},
       u"applies a unit text file to a game, all of it or nothing"_s,
       u"FILE is JSON or CSV text as export writes it; a unit may give only some fields. The\n"
       u"changes are listed first; when any value is refused, nothing is written. --dry-run\n"
       u"lists the changes and writes nothing."_s,
       {u"import GAME mymod.json --dry-run"_s, u"import GAME mymod.json"_s}},
      {u"diff"_s,
       {u"diff A B"_s, u"diff PATH --backup"_s},
       u"tells what differs between two games, backups or text files"_s,
       u"Each side may be a game folder, a templates.bin, the editor's backup or an exported\n"
       u"file; --backup compares the editor's backup (old) with the game (new). It prints one\n"
       u"block per unit that differs, Field: old -> new, then any bytes no field explains.\n"
       u"Exit status: 0 when the two are the same, 1 when they differ, 2 on trouble."_s,
       {u"diff GAME mymod.json"_s, u"diff GAME --backup"_s}},
      {u"locate"_s,
       {u"locate"_s},
       u"prints the game folder the editor would use, and why"_s,
       u"It names the source (the editor's own setting, the machine's registry or HKLM.reg,\n"
       u"or a Wine prefix's system.reg) and what it saw on the way: what a bug report needs.\n"
       u"Exit status 1, with the reason, when no game was found."_s,
       {u"locate"_s, u"WINEPREFIX=~/games/dune locate"_s}},
  };
  return commands;
}


// The indent of a command's summary under its usage: the depth at which man page makers take
// the lines above for a list's tags.
const QString kSummaryIndent(20, u' ');

// An example as a shell prompt shows it ("  $ smarch-units ARGUMENTS"), with the environment
// it sets, if any, before the program's name.
QString Example(const QString& words) {
  const qsizetype equals = words.indexOf(u'=');
  const qsizetype blank = words.indexOf(u' ');
  if (equals > 0 && (blank < 0 || equals < blank)) {
    return u"  $ "_s + words.left(blank + 1) + kProgramName + u' ' + words.mid(blank + 1) + u'\n';
  }
  return u"  $ "_s + kProgramName + u' ' + words + u'\n';
}

}  // namespace

const QStringList& CommandNames() {
  static const QStringList names = [] {
    QStringList list;
    for (const Command& c : Commands()) list << c.name;
    return list;
  }();
  return names;
}

QString ProgramHelp() {
  QString text = u"Usage: smarch-units COMMAND [ARGUMENTS]\n"
                 u"Lists and changes the unit records of Dune2000's data/bin/templates.bin from\n"
                 u"the command line, through the same code as the Saltmarch 98 editor.\n"
                 u"\n"
                 u"Commands:\n"_s;
  for (const Command& c : Commands()) {
    text += u"  "_s + c.usages.join(u" | "_s) + u'\n' + kSummaryIndent + c.summary + u'\n';
  }
  text += u"\n"
          u"PATH is the game folder (holding data/bin/templates.bin) or a templates.bin itself;\n"
          u"GAME in the examples stands for one.\n"
          u"\n"
          u"Options:\n"
          u"  -h, --help   show this help, or after a command that command's, and exit\n"
          u"  --version    show the version and exit\n"
          u"\n"
          u"Exit status:\n"
          u"  0 success (diff: the two are the same), 1 failure (diff: they differ), 2 a wrong\n"
          u"  command line or refused input (diff: any trouble).\n"
          u"\n"
          u"Examples:\n"_s;
  for (const Command& c : Commands()) text += Example(c.examples.first());
  text += u"\nEach command explains itself: smarch-units COMMAND --help.\n"_s;
  return text;
}

QString CommandHelp(const QString& command) {
  const auto& commands = Commands();
  const auto found = std::find_if(commands.begin(), commands.end(),
                                  [&command](const Command& c) { return c.name == command; });
  if (found == commands.end()) return ProgramHelp();
  const Command& c = *found;
  QString text;
  for (const QString& usage : c.usages) {
    text += (text.isEmpty() ? u"Usage: "_s : u"       "_s) + kProgramName + u' ' + usage + u'\n';
  }
  text += kProgramName + u' ' + c.name + u' ' + c.summary + u".\n\n"_s + c.details +
          u"\n\nExamples:\n"_s;
  for (const QString& example : c.examples) text += Example(example);
  return text;
}
