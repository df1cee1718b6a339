// smarch-units: lists and changes the unit records of a Dune2000 templates.bin from the command
// line, through the same template store as the editor, so a change touches only its record.

#include "commands.h"
#include "dialogs.h"
#include "locate.h"
#include "paths.h"
#include "stringtable.h"
#include "templatestore.h"
#include "unitfields.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

QTextStream& Err() {
  static QTextStream err(stderr);
  return err;
}

const char* kUsageText =
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

int Usage(const QString& problem = {}) {
  if (!problem.isEmpty()) Err() << problem << '\n';
  Err() << kUsageText;
  Err().flush();
  return kUsage;
}

// Points the store at PATH's templates.bin; gives an error text (naming the file and what is
// wrong with it) when PATH leads to no game's templates.bin, which is then left untouched.
QString Locate(TDune2kFile& store, const QString& path) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) return u"No such game folder or file: %1"_s.arg(path);
  const QString file =
      QFileInfo(found).isDir() ? TemplatesPath(WithTrailingSeparator(found)) : found;
  if (const QString problem = TemplatesFileProblem(file); !problem.isEmpty()) return problem;
  store.SetTemplatesFileOverride(ResolveExisting(file));
  // Failures name the file and the system's reason after the editor's text.
  store.SetDetailedReports(true);
  return {};
}

struct Unit {
  std::uint8_t kind;
  int index;
};

QString KindName(std::uint8_t kind) {
  return kind == ukInfantry ? u"infantry"_s : u"vehicle"_s;
}

QString UnitName(const Unit& u) {
  return ::UnitName(u.kind, u.index);
}

QString OffsetText(const Unit& u) {
  return u"0x"_s +
         u"%1"_s.arg(qlonglong(UnitOffset(u.kind, u.index)), 4, 16, QChar(u'0')).toUpper();
}

TUnitTemplate Record(const TDune2kFile& store, const Unit& u) {
  TUnitTemplate record;
  store.GetUnit(u.kind, u.index, record);
  return record;
}

int Show(const QStringList& args) {
  if (args.size() < 1 || args.size() > 2) return Usage();
  const bool json = args.size() == 2;
  if (json && args[1] != u"--json"_s) return Usage(u"Unknown option: %1"_s.arg(args[1]));

  TDune2kFile store;
  if (const QString problem = Locate(store, args[0]); !problem.isEmpty()) {
    Err() << problem << '\n';
    return kFailed;
  }
  // One failure is reported once: the vehicles are not tried after the infantry failed.
  store.LoadInfantry();
  if (!store.InfantryLoaded) return kFailed;
  store.LoadVehicles();
  if (!store.VehiclesLoaded) return kFailed;

  std::vector<Unit> units;
  for (int i = 1; i <= InfantryCount; ++i) units.push_back({ukInfantry, i});
  for (int i = 1; i <= VehicleCount; ++i) units.push_back({ukVehicle, i});

  if (json) {
    QJsonArray array;
    for (const Unit& u : units) {
      QJsonObject object = UnitFields::ToJson(Record(store, u));
      object.insert(u"Kind"_s, KindName(u.kind));
      object.insert(u"Index"_s, u.index);
      object.insert(u"Name"_s, UnitName(u));
      object.insert(u"Offset"_s, qint64(UnitOffset(u.kind, u.index)));
      array.append(object);
    }
    Out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return 0;
  }

  for (const Unit& u : units) {
    const TUnitTemplate record = Record(store, u);
    Out() << u"%1 %2  %3  at %4\n"_s.arg(KindName(u.kind), -8)
                 .arg(u.index, 2)
                 .arg(UnitName(u), -27)
                 .arg(OffsetText(u));
    QString line = u"   "_s;
    for (const QString& field : UnitFields::Names()) {
      const QString item = u" %1=%2"_s.arg(field, UnitFields::Text(record, field));
      if (line.size() + item.size() > 96) {
        Out() << line << '\n';
        line = u"   "_s;
      }
      line += item;
    }
    Out() << line << '\n';
  }
  return 0;
}

int Set(const QStringList& args) {
  if (args.size() < 4) return Usage();
  Unit unit{};
  if (args[1] == u"infantry"_s) {
    unit.kind = ukInfantry;
  } else if (args[1] == u"vehicle"_s) {
    unit.kind = ukVehicle;
  } else {
    return Usage(u"The kind must be infantry or vehicle, not \"%1\""_s.arg(args[1]));
  }
  bool numeric = false;
  unit.index = args[2].toInt(&numeric);
  const int count = UnitCountOf(unit.kind);
  if (!numeric || unit.index < 1 || unit.index > count) {
    Err() << u"The %1 number must lie in 1..%2, not \"%3\"\n"_s.arg(KindName(unit.kind))
                 .arg(count)
                 .arg(args[2]);
    return kUsage;
  }

  // Every assignment is checked on a scratch record before the file is touched.
  QList<QPair<QString, QString>> changes;
  for (const QString& assignment : args.mid(3)) {
    const qsizetype eq = assignment.indexOf(u'=');
    if (eq <= 0) return Usage(u"Expected Field=value, not \"%1\""_s.arg(assignment));
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
  if (const QString problem = Locate(store, args[0]); !problem.isEmpty()) {
    Err() << problem << '\n';
    return kFailed;
  }
  store.LoadUnits(unit.kind);
  if (!store.UnitsLoaded(unit.kind)) return kFailed;

  const TUnitTemplate before = Record(store, unit);
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

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args[0] == u"--help"_s || args[0] == u"-h"_s) {
    if (args.isEmpty()) return Usage();
    Out() << kUsageText;
    return 0;
  }
  const QString command = args.takeFirst();
  int status = kUsage;
  if (command == u"show"_s) {
    status = Show(args);
  } else if (command == u"set"_s) {
    status = Set(args);
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
  Out().flush();
  Err().flush();
  return status;
}
