// import: applies a unit text file to a game, all of it or nothing.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "modapply.h"
#include "templatestore.h"

using namespace Qt::Literals::StringLiterals;

int ImportCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                  const FileOpener& opener) {
  QStringList names = args;
  const bool dryRun = names.removeAll(u"--dry-run"_s) > 0;
  if (names.size() != 2 || names[0].startsWith(u'-') || names[1].startsWith(u'-')) {
    return Refuse(err, u"import needs a game and a unit file: import PATH FILE [--dry-run]"_s);
  }
  QString problem;
  const auto mod = ReadModFile(names[1], problem);
  if (!mod) return Refuse(err, problem);
  const auto source = FindSource(names[0], problem);
  if (!source) return Refuse(err, problem);
  if (source->text) return Refuse(err, u"%1 is a unit text file, not a game"_s.arg(names[0]));

  TDune2kFile store;
  if (!LoadStore(store, source->file, opener)) return kFailed;
  const UnitRecords game = StoreRecords(store);
  QStringList errors;
  const auto outcome = ApplyMod(game, *mod, errors);
  if (!outcome) {
    for (const QString& error : errors) err << names[1] << ": " << error << '\n';
    err << "Nothing was written.\n";
    return kRefused;
  }
  if (outcome->changed.empty()) {
    out << "No changes: the game already holds every value of " << names[1] << ".\n";
    return 0;
  }
  for (const QString& line : DiffRecords(game, outcome->records)) out << line << '\n';
  if (dryRun) {
    out << "Dry run: nothing was written.\n";
    return 0;
  }
  for (const int position : outcome->changed) {
    TUnitTemplate record = outcome->records[position];
    record.Changed = true;
    const UnitId unit = UnitAt(position);
    store.PutUnit(unit.kind, unit.index, record);
  }
  out.flush();
  return store.ApplyChanges() ? 0 : kFailed;
}
