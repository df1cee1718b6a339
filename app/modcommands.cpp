#include "modcommands.h"

#include "editorcommands.h"
#include "modimport.h"
#include "safefs.h"
#include "saltmarch.h"
#include "stringtable.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

FileRequest ModFileRequest(bool save) {
  return {.save = save,
          .title = LoadStr(save ? Str::ExportModTitle : Str::ImportModTitle),
          .filter = LoadStr(Str::ModFileFilter),
          .defaultSuffix = save ? u"json"_s : QString()};
}

// The units as the editor holds them; nothing when there is no game to read them from (the user
// is asked for one) or its file can't be read (the store has said why).
std::optional<UnitRecords> Units(TSaltmarch& app, DialogService& ask) {
  if (app.GameFolder.isEmpty()) {
    AskForGameFolder(app, ask);
    return std::nullopt;
  }
  return UnitsInMemory(*app.Document);
}

bool SameFile(const QString& a, const QString& b) {
  const auto identity = IdentityOf(a);
  return identity && identity == IdentityOf(b);
}

// The changes as the question shows them: a box no taller than the screen, the first lines and
// how many more there are.
QString ShortChangeList(const QStringList& changes) {
  constexpr int kShown = 30;
  if (changes.size() <= kShown) return changes.join(u'\r');
  return (changes.mid(0, kShown) << LoadStr(Str::ModChangesMore).arg(changes.size() - kShown))
      .join(u'\r');
}

}  // namespace

void ImportModFile(TSaltmarch& app, DialogService& ask) {
  const auto units = Units(app, ask);
  if (!units) return;
  const auto path = ask.ChooseFile(ModFileRequest(false));
  if (!path) return;
  const ModImport import = WorkOutModImport(*path, *units);
  const QString name = QFileInfo(*path).fileName();
  if (!import.errors.isEmpty()) {
    ask.MessageDlg(MsgKind::Warning, LoadStr(Str::ModRefused).arg(import.errors.join(u'\r')), mbOK);
  } else if (import.changes.isEmpty()) {
    ask.MessageDlg(MsgKind::Information, LoadStr(Str::ModNoChanges).arg(name), mbOK);
  } else if (ask.MessageDlg(
                 MsgKind::Confirmation,
                 LoadStr(Str::ModChangesQuestion).arg(name, ShortChangeList(import.changes)),
                 mbYes | mbNo) == MsgResult::Yes) {
    MakeModImport(*app.Document, import);
  }
}

void ExportModFile(TSaltmarch& app, DialogService& ask) {
  const auto units = Units(app, ask);
  if (!units) return;
  const auto path = ask.ChooseFile(ModFileRequest(true));
  if (!path) return;
  // A slip in the file dialog must not put text where the game or its backup keeps its units.
  QString problem;
  if (SameFile(*path, app.GameFileName()) || SameFile(*path, app.BackupFileName()))
    problem = LoadStr(Str::ModNotTheGameFile).arg(*path);
  else
    problem = ExportMod(*units, *path);
  if (problem.isEmpty())
    ask.MessageDlg(MsgKind::Information, LoadStr(Str::ModExported).arg(*path), mbOK);
  else
    ask.MessageDlg(MsgKind::Warning, LoadStr(Str::ModExportFailed).arg(problem), mbOK);
}
