#include "modimport.h"

#include "modapply.h"
#include "modfile.h"
#include "paths.h"
#include "safefs.h"
#include "stagedfile.h"
#include "templatestore.h"
#include "unitdocument.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

ModImport WorkOutModImport(const QString& path, const UnitRecords& units) {
  ModImport import{.file = path, .records = units};
  QString problem;
  const auto mod = ReadModFile(path, problem);
  if (!mod) {
    import.errors << problem;
    return import;
  }
  QStringList errors;
  const auto outcome = ApplyMod(units, *mod, errors);
  if (!outcome) {
    for (const QString& error : errors) import.errors << u"%1: %2"_s.arg(path, error);
    return import;
  }
  import.records = outcome->records;
  import.changes = DiffRecords(units, outcome->records);
  return import;
}

void MakeModImport(TUnitDocument& document, const ModImport& import) {
  if (!import.errors.isEmpty()) return;
  // Both units of a shared record carry the merged bytes, so each shows what the file will hold.
  std::vector<TUnitDocument::UnitEdit> edits;
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    edits.push_back({unit.kind, unit.index, import.records[position], true});
  }
  document.EditUnits(edits, u"Import "_s + QFileInfo(import.file).fileName());
}

std::optional<UnitRecords> UnitsInMemory(TUnitDocument& document) {
  TDune2kFile& store = document.Store();
  for (const std::uint8_t kind : {ukInfantry, ukVehicle}) {
    store.LoadUnits(kind);
    if (!store.UnitsLoaded(kind)) return std::nullopt;
  }
  return StoreRecords(store);
}

QString ExportMod(const UnitRecords& units, const QString& path) {
  const auto cannot = [&](const QString& why) { return u"Can't write %1: %2"_s.arg(path, why); };
  const QByteArray text =
      path.endsWith(u".csv"_s, Qt::CaseInsensitive) ? ExportCsv(units) : ExportJson(units);
  // A name the user chose among their own files: a link or a device there is not written over.
  StagedFile file(Reach(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
                  StagedFile::Takes::WritableFileOnly);
  switch (file.Open()) {
    case StagedFile::Opened::Ready:
      break;
    case StagedFile::Opened::NotAFile:
      return cannot(u"not a regular file"_s);
    case StagedFile::Opened::Failed:
      return cannot(SystemErrorText(file.Error()));
  }
  if (!file.Write(text.constData(), text.size()) || !file.Commit())
    return cannot(SystemErrorText(file.Error()));
  return {};
}
