// export: every unit of a game, backup or complete text file as JSON or CSV text.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "outputfile.h"

using namespace Qt::Literals::StringLiterals;

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
      return UsageError(err, u"export"_s, u"unexpected argument \"%1\""_s.arg(Visible(args[i])));
    }
  }
  if (path.isEmpty()) return UsageError(err, u"export"_s, u"which game? Give PATH"_s);
  if (format.isEmpty())
    format = target.endsWith(u".csv"_s, Qt::CaseInsensitive) ? u"csv"_s : u"json"_s;
  if (format != u"json"_s && format != u"csv"_s) {
    return UsageError(err, u"export"_s,
                      u"the format must be json or csv, not \"%1\""_s.arg(Visible(format)));
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
    return WroteAll(out, err) ? 0 : kNotWritten;
  }
  if (const auto source = FindSource(path, problem); source && SameFile(source->file, target)) {
    return Refuse(err, u"export: %1 is the file being exported; choose another"_s.arg(target));
  }
  // Written whole or not at all, so a failed export never leaves half a mod behind, and never
  // in the place of a device or a pipe that happens to bear the name.
  if (!WriteOutputFile(target, text, problem)) {
    err << problem << '\n';
    return kNotWritten;
  }
  return 0;
}
