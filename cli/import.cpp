// import: applies a unit text file to a game, all of it or nothing.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "modapply.h"
#include "templatestore.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// What the game file holds after a write that failed: the records as before, or some changes.
QString AfterFailedWrite(const QString& file, const UnitRecords& before, const FileOpener& opener) {
  TDune2kFile check;
  if (!LoadStore(check, file, opener)) {
    return u"%1 could not be read back: smarch-units diff tells what it holds now."_s.arg(file);
  }
  const UnitRecords now = StoreRecords(check);
  for (int position = 0; position < UnitCount; ++position) {
    if (now[position].RawBytes != before[position].RawBytes) {
      return u"The write failed after it began: %1 holds some or all of the changes above "
             u"now (smarch-units diff shows which)."_s.arg(file);
    }
  }
  return u"Nothing was written: %1 holds what it held before."_s.arg(file);
}

}  // namespace

int ImportCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                  const FileOpener& opener) {
  QStringList names = args;
  const bool dryRun = names.removeAll(u"--dry-run"_s) > 0;
  for (const QString& name : names) {
    if (name.startsWith(u'-')) {
      return UsageError(err, u"import"_s, u"unexpected argument \"%1\""_s.arg(Visible(name)));
    }
  }
  if (names.size() != 2) {
    return UsageError(err, u"import"_s, u"give the game and the unit file: PATH FILE"_s);
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
    return WroteAll(out, err) ? 0 : kNotWritten;
  }
  for (const QString& line : DiffRecords(game, outcome->records)) out << line << '\n';
  if (dryRun) {
    out << "Dry run: nothing was written.\n";
    return WroteAll(out, err) ? 0 : kNotWritten;
  }
  // The list comes before the store's own messages; a change the user could not be shown is
  // not made.
  if (!WroteAll(out, err)) {
    err << "Nothing was written: the list of changes could not be shown.\n";
    return kNotWritten;
  }
  for (const int position : outcome->changed) {
    TUnitTemplate record = outcome->records[position];
    record.Changed = true;
    const UnitId unit = UnitAt(position);
    store.PutUnit(unit.kind, unit.index, record);
  }
  if (store.ApplyChanges()) return 0;
  // The store has said why; what matters next is whether the game was left as it was.
  err << AfterFailedWrite(source->file, game, opener) << '\n';
  return kFailed;
}
