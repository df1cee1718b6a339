// set: changes fields of one unit record, checked before the file is touched.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "templatestore.h"
#include "unitfields.h"

#include <QList>
#include <QPair>

using namespace Qt::Literals::StringLiterals;

int SetCommand(const QStringList& args) {
  const auto usage = [](const QString& problem) { return UsageError(Err(), u"set"_s, problem); };
  if (args.size() < 4) {
    return usage(u"give PATH, a kind, a number and at least one Field=value"_s);
  }
  const std::optional<std::uint8_t> kind = KindFromText(args[1]);
  if (!kind) {
    return usage(u"the kind must be infantry or vehicle, not \"%1\""_s.arg(Visible(args[1])));
  }
  UnitId unit;
  unit.kind = *kind;
  bool numeric = false;
  unit.index = args[2].toInt(&numeric);
  const int count = UnitCountOf(unit.kind);
  if (!numeric || unit.index < 1 || unit.index > count) {
    return usage(u"the %1 number must lie in 1..%2, not \"%3\""_s.arg(KindText(unit.kind))
                     .arg(count)
                     .arg(Visible(args[2])));
  }

  // Every assignment is checked on a scratch record before the file is touched.
  QList<QPair<QString, QString>> changes;
  for (const QString& assignment : args.mid(3)) {
    const qsizetype eq = assignment.indexOf(u'=');
    if (eq <= 0) return usage(u"expected Field=value, not \"%1\""_s.arg(Visible(assignment)));
    changes.append({assignment.left(eq), assignment.mid(eq + 1)});
  }
  TUnitTemplate scratch;
  for (const auto& [field, value] : changes) {
    if (const auto error = UnitFields::Set(scratch, unit.kind, field, value)) {
      Err() << *error << '\n';
      return kUsage;
    }
  }

  TDune2kFile store;
  if (const QString problem = OpenGame(store, args[0]); !problem.isEmpty()) {
    Err() << problem << '\n';
    return kFailed;
  }
  store.LoadUnits(unit.kind);
  if (!store.UnitsLoaded(unit.kind)) return kFailed;

  const TUnitTemplate before = UnitRecord(store, unit);
  TUnitTemplate record = before;
  for (const auto& [field, value] : changes) UnitFields::Set(record, unit.kind, field, value);
  // As the editor's Save: values that are already there change nothing, and nothing is written
  // (writing would still turn a byte 37 of 2 into 1).
  if (record == before) {
    Out() << u"%1 already has these values; nothing written\n"_s.arg(UnitName(unit));
    return 0;
  }
  store.PutUnit(unit.kind, unit.index, record);
  store.CommitUnit(unit.kind, unit.index);
  return store.ApplyChanges() ? 0 : kFailed;
}
