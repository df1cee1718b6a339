// show: every unit record of a game with all its decoded fields, as lines or as JSON.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "templatestore.h"
#include "unitfields.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

QString OffsetText(UnitId u) {
  return u"0x"_s +
         u"%1"_s.arg(qlonglong(UnitOffset(u.kind, u.index)), 4, 16, QChar(u'0')).toUpper();
}

}  // namespace

int ShowCommand(const QStringList& args) {
  QString path;
  bool json = false;
  for (const QString& arg : args) {
    if (arg == u"--json"_s && !json) {
      json = true;
    } else if (path.isEmpty() && !arg.isEmpty() && !arg.startsWith(u'-')) {
      path = arg;
    } else {
      return UsageError(Err(), u"show"_s, u"unexpected argument \"%1\""_s.arg(Visible(arg)));
    }
  }
  if (path.isEmpty()) return UsageError(Err(), u"show"_s, u"which game? Give PATH"_s);

  TDune2kFile store;
  if (const QString problem = OpenGame(store, path); !problem.isEmpty()) {
    Err() << problem << '\n';
    return kFailed;
  }
  // One failure is reported once: the vehicles are not tried after the infantry failed.
  store.LoadInfantry();
  if (!store.InfantryLoaded) return kFailed;
  store.LoadVehicles();
  if (!store.VehiclesLoaded) return kFailed;

  std::vector<UnitId> units;
  for (int i = 1; i <= InfantryCount; ++i) units.push_back({ukInfantry, i});
  for (int i = 1; i <= VehicleCount; ++i) units.push_back({ukVehicle, i});

  if (json) {
    QJsonArray array;
    for (const UnitId& u : units) {
      QJsonObject object = UnitFields::ToJson(UnitRecord(store, u));
      object.insert(u"Kind"_s, KindText(u.kind));
      object.insert(u"Index"_s, u.index);
      object.insert(u"Name"_s, UnitName(u));
      object.insert(u"Offset"_s, qint64(UnitOffset(u.kind, u.index)));
      array.append(object);
    }
    Out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return 0;
  }

  for (const UnitId& u : units) {
    const TUnitTemplate record = UnitRecord(store, u);
    Out() << u"%1 %2  %3  at %4\n"_s.arg(KindText(u.kind), -8)
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
