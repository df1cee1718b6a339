// diff: what differs between two games, backups or text files, or a game and its backup.

#include "commands.h"
#include "console.h"
#include "gamesource.h"
#include "modapply.h"
#include "registrykeys.h"

using namespace Qt::Literals::StringLiterals;

int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                const FileOpener& opener) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i].startsWith(u'-') && !(i == 1 && args[i] == u"--backup"_s)) {
      return UsageError(err, u"diff"_s, u"unexpected argument \"%1\""_s.arg(Visible(args[i])));
    }
  }
  if (args.size() != 2) {
    return UsageError(err, u"diff"_s, u"give two files (A B), or a game and --backup"_s);
  }
  QString before = args[0];
  QString after = args[1];
  if (after == u"--backup"_s) {
    const auto folder = RegAccessor().Read(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue);
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
  // "They differ" only with the list that says how; a list that was lost is trouble.
  if (!WroteAll(out, err)) return kNotWritten;
  return lines.isEmpty() ? 0 : 1;
}
