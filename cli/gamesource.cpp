#include "gamesource.h"

#include "modapply.h"
#include "paths.h"
#include "templatestore.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Bytes that no text file holds, and every templates.bin does (its records are mostly zeros).
bool HoldsBinary(const QByteArray& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
  });
}

// Whether `file` is one of our text files rather than a game's templates.bin. Its first byte
// does not tell: a templates.bin may begin with "{" too. A file called templates.bin that is as
// large as the record table and holds bytes no text has is the game's; any other file that
// begins as our text does is read as text, so that a damaged one is refused with its line.
bool IsModText(QFile& file) {
  const QByteArray head = file.read(TemplatesTableSize());
  const bool gameFile =
      QFileInfo(file.fileName()).fileName().compare(u"templates.bin"_s, Qt::CaseInsensitive) == 0 &&
      file.size() >= TemplatesTableSize() && HoldsBinary(head);
  return !gameFile && LooksLikeModText(head);
}

}  // namespace

QString OpenGame(TDune2kFile& store, const QString& path) {
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

TUnitTemplate UnitRecord(const TDune2kFile& store, UnitId unit) {
  TUnitTemplate record;
  store.GetUnit(unit.kind, unit.index, record);
  return record;
}

std::optional<Source> FindSource(const QString& path, QString& problem) {
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) {
    problem = u"No such game folder or file: %1"_s.arg(path);
    return std::nullopt;
  }
  Source source{found, false};
  if (QFileInfo(found).isDir()) {
    // A game folder holds it in data/bin; the editor's backup folder holds it directly.
    source.file = ResolveExisting(TemplatesPath(found));
    if (source.file.isEmpty())
      source.file = ResolveExisting(found + NativeText(u"\\templates.bin"));
    if (source.file.isEmpty()) {
      problem = u"%1 holds no templates.bin (nor data/bin/templates.bin)"_s.arg(path);
      return std::nullopt;
    }
  }
  // A FIFO or device would block the read or never end.
  if (!QFileInfo(source.file).isFile()) {
    problem = u"%1 is not a regular file"_s.arg(source.file);
    return std::nullopt;
  }
  QFile file(source.file);
  if (!file.open(QIODevice::ReadOnly)) {
    problem = u"Can't read %1: %2"_s.arg(source.file, file.errorString());
    return std::nullopt;
  }
  source.text = IsModText(file);
  if (!source.text) {
    problem = TemplatesFileProblem(source.file);
    if (!problem.isEmpty()) return std::nullopt;
  }
  return source;
}

bool LoadStore(TDune2kFile& store, const QString& file, const FileOpener& opener) {
  store.SetFileOpener(opener);
  // Failures name the file and the system's reason after the editor's text.
  store.SetDetailedReports(true);
  store.SetTemplatesFileOverride(file);
  store.LoadInfantry();
  store.LoadVehicles();
  return store.InfantryLoaded && store.VehiclesLoaded;
}

std::optional<UnitRecords> LoadRecords(const QString& path, const UnitRecords* base,
                                       const FileOpener& opener, QString& problem) {
  const auto source = FindSource(path, problem);
  if (!source) return std::nullopt;
  if (!source->text) {
    TDune2kFile store;
    if (!LoadStore(store, source->file, opener)) {
      problem = u"Can't read the unit records of %1"_s.arg(source->file);
      return std::nullopt;
    }
    return StoreRecords(store);
  }
  const auto mod = ReadModFile(source->file, problem);
  if (!mod) return std::nullopt;
  UnitRecords empty{};
  if (!base) {
    for (int position = 0; position < UnitCount; ++position) {
      const auto given = std::find_if(mod->units.begin(), mod->units.end(), [&](const ModUnit& u) {
        return u.unit == UnitAt(position) && u.raw;
      });
      if (given == mod->units.end()) {
        problem =
            u"%1 does not give the raw bytes of %2; a text file compared or exported on "
            u"its own must hold every unit (an export does)"_s.arg(path,
                                                                   UnitLabel(UnitAt(position)));
        return std::nullopt;
      }
      empty[position].Index = UnitAt(position).index;
    }
  }
  QStringList errors;
  const auto outcome = ApplyMod(base ? *base : empty, *mod, errors);
  if (!outcome) {
    problem = u"%1: %2"_s.arg(path, errors.join(u"\n"_s));
    return std::nullopt;
  }
  return outcome->records;
}

bool SameFile(const QString& a, const QString& b) {
  const QString canonicalA = QFileInfo(a).canonicalFilePath();
  return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}
