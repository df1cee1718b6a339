#include "commands.h"

#include "modapply.h"
#include "paths.h"
#include "registrykeys.h"
#include "templatestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kFailed = 1;
constexpr int kRefused = 2;

// Larger than any unit text file we accept, so the parser can say the file is too large.
constexpr qint64 kTextReadLimit = 4 * 1024 * 1024 + 1;

// A file or folder given on the command line: the regular file it comes down to, and whether
// that file is one of our text files rather than a templates.bin.
struct Source {
  QString file;
  bool text = false;
};

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
  source.text = LooksLikeModText(file.read(64));
  if (!source.text) {
    problem = TemplatesFileProblem(source.file);
    if (!problem.isEmpty()) return std::nullopt;
  }
  return source;
}

std::optional<ModFile> ReadModFile(const QString& path, QString& problem) {
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    problem = u"Can't read %1: %2"_s.arg(
        path, QFileInfo(path).isFile() ? file.errorString() : u"not a regular file"_s);
    return std::nullopt;
  }
  QString error;
  auto mod = ParseModText(file.read(kTextReadLimit), error);
  if (!mod) problem = u"%1: %2"_s.arg(path, error);
  return mod;
}

bool LoadStore(TDune2kFile& store, const QString& file, const FileOpener& opener) {
  store.SetFileOpener(opener);
  store.SetTemplatesFileOverride(file);
  store.LoadInfantry();
  store.LoadVehicles();
  return store.InfantryLoaded && store.VehiclesLoaded;
}

UnitRecords StoreRecords(const TDune2kFile& store) {
  UnitRecords records;
  for (int position = 0; position < UnitCount; ++position) {
    const UnitId unit = UnitAt(position);
    store.GetUnit(unit.kind, unit.index, records[position]);
  }
  return records;
}

// The records a game file, backup or text file holds. A text file that does not give every
// unit's bytes is read on top of `base`; without a base it must be complete.
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

int Refuse(QTextStream& err, const QString& problem) {
  err << problem << '\n';
  return kRefused;
}

}  // namespace

int ExportCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                  const FileOpener& opener) {
  QString path, format, target;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if ((args[i] == u"--format"_s || args[i] == u"-o"_s) && i + 1 < args.size()) {
      QString& value = args[i] == u"-o"_s ? target : format;
      value = args[++i];
    } else if (path.isEmpty() && !args[i].startsWith(u'-')) {
      path = args[i];
    } else {
      return Refuse(err,
                    u"export: unexpected argument \"%1\" (see smarch-units --help)"_s.arg(args[i]));
    }
  }
  if (path.isEmpty()) return Refuse(err, u"export: which game? Give PATH."_s);
  if (format.isEmpty())
    format = target.endsWith(u".csv"_s, Qt::CaseInsensitive) ? u"csv"_s : u"json"_s;
  if (format != u"json"_s && format != u"csv"_s) {
    return Refuse(err, u"export: the format must be json or csv, not \"%1\""_s.arg(format));
  }

  QString problem;
  const auto records = LoadRecords(path, nullptr, opener, problem);
  if (!records) {
    err << problem << '\n';
    return kFailed;
  }
  const QByteArray text = format == u"csv"_s ? ExportCsv(*records) : ExportJson(*records);
  if (target.isEmpty()) {
    out << QString::fromUtf8(text);
    return 0;
  }
  if (const auto source = FindSource(path, problem); source && SameFile(source->file, target)) {
    return Refuse(err, u"export: %1 is the file being exported; choose another"_s.arg(target));
  }
  // Written whole or not at all, so a failed export never leaves half a mod behind.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    err << u"Can't write %1: %2"_s.arg(target, file.errorString()) << '\n';
    return kFailed;
  }
  return 0;
}

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

int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                const FileOpener& opener) {
  if (args.size() != 2 || args[0].startsWith(u'-')) {
    return Refuse(err, u"diff needs two files (diff A B), or a game and --backup"_s);
  }
  QString before = args[0];
  QString after = args[1];
  if (after == u"--backup"_s) {
    const auto folder = RegAccessor().Read(RegRoot::CurrentUser, kOwnKey, u"BackupLoc"_s);
    if (!folder || folder->type != RegValue::Type::String || folder->text.isEmpty()) {
      return Refuse(err,
                    u"The editor has no backup folder set, so there is no backup to "
                    u"compare with."_s);
    }
    // The backup is the older state: show what has changed since it was made.
    after = before;
    before = folder->text;
  }
  QString problem;
  const auto a = LoadRecords(before, nullptr, opener, problem);
  if (!a) return Refuse(err, problem);
  const auto b = LoadRecords(after, &*a, opener, problem);
  if (!b) return Refuse(err, problem);
  const QStringList lines = DiffRecords(*a, *b);
  for (const QString& line : lines) out << line << '\n';
  return lines.isEmpty() ? 0 : 1;
}
