#include "appfixture.h"

#include "commands.h"
#include "gamesource.h"
#include "modimport.h"
#include "otheruser.h"
#include "stagedfile.h"

#include <QUndoStack>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The editor on the sample game, and a second copy of it for smarch-units to work on.
class ModImportTest : public RunningApp {
 protected:
  void SetUp() override {
    RunningApp::SetUp();
    ASSERT_TRUE(cliGame.ok());
    original = game.TemplatesBytes();
  }
  // smarch-units COMMAND ARGS...: its exit code; what it printed goes to out and err.
  int Cli(decltype(&ImportCommand) command, const QStringList& args) {
    out.clear();
    err.clear();
    QTextStream o(&out), e(&err);
    return command(args, o, e, OpenExistingFile);
  }
  UnitRecords Memory() { return *UnitsInMemory(*app->Document); }
  // The units smarch-units leaves in its copy, as text that holds every field and byte.
  QByteArray CliUnits() {
    TDune2kFile store;
    EXPECT_TRUE(LoadStore(store, cliGame.TemplatesPath(), OpenExistingFile));
    return ExportJson(StoreRecords(store));
  }
  QString File(const QString& name) const { return programDir.filePath(name); }

  SampleDir cliGame;
  QByteArray original;
  QString out, err;
};

TEST_F(ModImportTest, AnImportInMemoryIsWhatTheCommandLineWritesAndOneUndoTakesItBack) {
  // A modded game: a flag kept as 2, a byte no field holds, a field, and the record Fremen and
  // the Death Hand share.
  QByteArray bin = original;
  bin[0x0900 + 37] = char(2);
  bin[0x0900 + 200] = char(0x5A);
  bin[0x0900 + 4] = char(0x77);
  bin[0x1500 + 2] = char(9);
  SampleDir modded;
  modded.WriteTemplates(bin);
  for (const QString& name : {u"modded.json"_s, u"modded.csv"_s}) {
    ASSERT_EQ(Cli(ExportCommand, {modded.Folder(), u"-o"_s, File(name)}), 0);
    cliGame.WriteTemplates(original);
    ASSERT_EQ(Cli(ImportCommand, {cliGame.Folder(), File(name), u"--dry-run"_s}), 0);
    const QString dryRun = out;

    const UnitRecords before = Memory();
    const ModImport import = WorkOutModImport(File(name), before);
    EXPECT_EQ(import.changes.join(u'\n') + u"\nDry run: nothing was written.\n"_s, dryRun);
    MakeModImport(*app->Document, import);
    ASSERT_EQ(Cli(ImportCommand, {cliGame.Folder(), File(name)}), 0) << err.toStdString();
    EXPECT_EQ(ExportJson(Memory()), CliUnits()) << name.toStdString();
    EXPECT_EQ(app->Document->UndoStack()->count(), 1);
    EXPECT_EQ(app->Document->UndoStack()->undoText(), u"Import "_s + name);

    app->Document->UndoStack()->undo();
    EXPECT_EQ(ExportJson(Memory()), ExportJson(before));
    EXPECT_FALSE(app->Store->HasUnappliedChanges());
    app->Document->UndoStack()->redo();
    ASSERT_TRUE(app->Document->ApplyChanges());
    EXPECT_EQ(game.TemplatesBytes(), bin);
    EXPECT_EQ(game.TemplatesBytes(), cliGame.TemplatesBytes());
    game.WriteTemplates(original);
    app->Document->Reload();
  }
}

TEST_F(ModImportTest, ARefusedModChangesNothingAndSaysWhatTheCommandLineSays) {
  const QString fifo = File(u"pipe.csv"_s);
#ifdef _WIN32
  ASSERT_TRUE(QDir().mkpath(fifo));  // no FIFOs among Windows files: a folder is the odd path
#else
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
#endif
  const QString bad = File(u"bad.csv"_s);
  WriteAll(bad, "Format,saltmarch98-units,Version,1\nKind,Index,Armor\nvehicle,1,300\n");
  const QString shared = File(u"shared.json"_s);
  WriteAll(shared, R"({"Format": "saltmarch98-units", "Version": 1, "Units": [
    {"Name": "Fremen", "Armor": 5}, {"Name": "Harkonnen Death Hand", "Armor": 6}]})");
  for (const QString& mod : {fifo, bad, shared, File(u"missing.json"_s)}) {
    const ModImport import = WorkOutModImport(mod, Memory());
    ASSERT_FALSE(import.errors.isEmpty());
    MakeModImport(*app->Document, import);
    EXPECT_EQ(app->Document->UndoStack()->count(), 0);
    EXPECT_EQ(Cli(ImportCommand, {cliGame.Folder(), mod}), 2);
    EXPECT_EQ(import.errors.join(u'\n') + u"\n"_s, err.remove(u"Nothing was written.\n"_s));
  }
  EXPECT_TRUE(
      WorkOutModImport(bad, Memory())
          .errors.constFirst()
          .endsWith(
              u"bad.csv: line 3 (vehicle 1 \"Trike\"): Armor: 300 is outside the field's range 0..255"_s));
  EXPECT_EQ(game.TemplatesBytes(), original);
}

TEST_F(ModImportTest, AnExportIsTheCommandLinesAndImportingItChangesNothing) {
  for (const QString& name : {u"units.json"_s, u"units.CSV"_s}) {
    ASSERT_EQ(ExportMod(Memory(), File(name)), QString());
    ASSERT_EQ(Cli(ExportCommand, {game.Folder(), u"-o"_s, File(u"cli-"_s + name)}), 0);
    EXPECT_EQ(ReadAll(File(name)), ReadAll(File(u"cli-"_s + name)));
  }
  // Edits not yet applied go with the export, so the export imports as no change.
  TUnitTemplate quad = Memory()[InfantryCount + 2];
  quad.Cost += 5;
  app->Document->EditUnit(ukVehicle, 3, quad, u"Cost"_s);
  ASSERT_EQ(ExportMod(Memory(), File(u"units.json"_s)), QString());
  const ModImport again = WorkOutModImport(File(u"units.json"_s), Memory());
  EXPECT_TRUE(again.errors.isEmpty() && again.changes.isEmpty());
}

TEST_F(ModImportTest, AFailedExportSaysWhyAndLeavesNothingBehind) {
  const QString kept = File(u"kept.json"_s);
  WriteAll(kept, "mine");
  {
    const auto full = DiskFault::FullAfter(1000, kErrorDiskFull);
    EXPECT_EQ(ExportMod(Memory(), kept),
              u"Can't write %1: %2"_s.arg(kept, SystemErrorText(kErrorDiskFull)));
  }
  EXPECT_EQ(ReadAll(kept), "mine");
  EXPECT_EQ(QDir(programDir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{u"kept.json"_s});
#ifndef _WIN32
  EXPECT_EQ(ExportMod(Memory(), u"/dev/null"_s), u"Can't write /dev/null: not a regular file"_s);
  // A folder the user may not write: root may write anywhere, so another user tries.
  const QString locked = File(u"locked"_s);
  QDir().mkpath(locked);
  QFile::setPermissions(locked,
                        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  QFile::setPermissions(programDir.path(), QFile::permissions(programDir.path()) | QFile::ExeOther);
  const UnitRecords units = Memory();
  const QString target = locked + u"/mod.csv"_s;
  const auto refused = [&] {
    return ExportMod(units, target) == u"Can't write %1: %2"_s.arg(target, SystemErrorText(EACCES))
               ? 0
               : 1;
  };
  EXPECT_EQ(::geteuid() == 0 ? ExitStatus(AsAnotherUser(refused)) : refused(), 0);
  EXPECT_TRUE(QDir(locked).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
}

}  // namespace
