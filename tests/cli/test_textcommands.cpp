#include "commands.h"
#include "failingfile.h"
#include "modtext.h"
#include "otheruser.h"
#include "paths.h"
#include "registry.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "stagedfile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Outcome {
  int status = -1;
  QString out, err;
};

using Command = int (*)(const QStringList&, QTextStream&, QTextStream&, const FileOpener&);

Outcome Call(Command command, const QStringList& args,
             const FileOpener& opener = OpenExistingFile) {
  Outcome run;
  QTextStream out(&run.out), err(&run.err);
  run.status = command(args, out, err, opener);
  return run;
}

class ModText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(game.ok());
    original = game.TemplatesBytes();
  }
  QString File(const QString& name) const { return game.Path(name); }
  // Exports the game into a file beside it and gives the file's name.
  QString Export(const QString& name, const QString& format) {
    const Outcome run =
        Call(ExportCommand, {game.Folder(), u"--format"_s, format, u"-o"_s, File(name)});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return File(name);
  }
  Outcome Import(const QString& file, FailurePlan& plan, const QStringList& extra = {}) {
    return Call(ImportCommand, QStringList{game.Folder(), file} + extra, FailingOpener(plan));
  }
  static int WriteOpens(const FailurePlan& plan) {
    return int(plan.accesses.count(FileAccess::Write) + plan.accesses.count(FileAccess::ReadWrite));
  }

  ScriptedDialogs dialogs;
  SampleDir game;
  QByteArray original;
};

void SetBytes(QByteArray& bin, qint64 at, std::initializer_list<quint8> bytes) {
  for (quint8 b : bytes) bin[at++] = char(b);
}

TEST_F(ModText, ExportThenImportOfAnUnchangedGameMakesNoWriteCall) {
  for (const QString& format : {u"json"_s, u"csv"_s}) {
    FailurePlan plan;
    const Outcome run = Import(Export(u"mod."_s + format, format), plan);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(u"No changes"_s)) << run.out.toStdString();
    EXPECT_EQ(WriteOpens(plan), 0) << format.toStdString();
    EXPECT_EQ(plan.writes, 0);
    EXPECT_EQ(game.TemplatesBytes(), original);
  }
}

TEST_F(ModText, ThreeEditedFieldsChangeExactlyTheirBytes) {
  const QString file = Export(u"mod.json"_s, u"json"_s);
  QJsonObject root = QJsonDocument::fromJson(ReadAll(file)).object();
  QJsonArray units = root[u"Units"_s].toArray();
  const auto edit = [&](int position, const QString& field, const QJsonValue& value) {
    QJsonObject unit = units[position].toObject();
    unit[field] = value;
    units[position] = unit;
  };
  edit(0, u"Armor"_s, 6);                         // Light Infantry, byte 2
  edit(9, u"Health"_s, 70000);                    // Quad, bytes 4..7
  edit(27, u"Owners"_s, QJsonArray{u"Ordos"_s});  // Unknown Unit #4, byte 44
  root[u"Units"_s] = units;
  ASSERT_TRUE(WriteAll(file, QJsonDocument(root).toJson()));

  FailurePlan plan;
  const Outcome run = Import(file, plan);
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  QByteArray expected = original;
  expected[2] = char(6);
  SetBytes(expected, 0x0700 + 4, {0x70, 0x11, 0x01, 0x00});
  expected[0x1A00 + 44] = char((quint8(original[0x1A00 + 44]) & 0xE9) | 0x04);
  EXPECT_EQ(game.TemplatesBytes(), expected);
  EXPECT_EQ(plan.writeOffsets, (QList<qint64>{0x0000, 0x0700, 0x1A00}));
  EXPECT_EQ(WriteOpens(plan), 1);
  EXPECT_TRUE(dialogs.Texts().contains(u"Changes Have Been Applied"_s));
  EXPECT_TRUE(run.out.contains(u"vehicle 3 \"Quad\"\n  Health: "_s)) << run.out.toStdString();
}

// A modded game whose records carry bytes the editor would tidy or does not understand.
QByteArray Modded(QByteArray bin) {
  QRandomGenerator random(17);
  for (int at = 0; at < 0x1B00; at += 7) bin[at] = char(random.bounded(256));
  bin[0x0900 + 37] = char(2);     // a flag stored as 2 stays 2
  bin[0x0900 + 20] = char(9);     // no Byte20Set member
  bin[0x0900 + 44] = char(0xFF);  // opaque owner bits
  return bin;
}

TEST_F(ModText, JsonAndCsvCarryEveryByteOfAModdedGame) {
  SampleDir modded;
  const QByteArray target = Modded(original);
  modded.WriteTemplates(target);
  for (const QString& format : {u"json"_s, u"csv"_s}) {
    game.WriteTemplates(original);
    const QString file = File(u"modded."_s + format);
    const Outcome exported =
        Call(ExportCommand, {modded.TemplatesPath(), u"-o"_s, file, u"--format"_s, format});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    FailurePlan plan;
    const Outcome run = Import(file, plan);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(game.TemplatesBytes(), target) << format.toStdString();
    // One write per file record: Fremen and the Death Hand share theirs.
    EXPECT_EQ(plan.writeOffsets.size(), 27);
    EXPECT_EQ(Call(DiffCommand, {game.Folder(), file}).status, 0);
    EXPECT_EQ(Call(DiffCommand, {File(u"modded.json"_s), modded.Folder()}).status, 0);
  }
}

TEST_F(ModText, HandWrittenFilesGiveOnlySomeFields) {
  const QString csv = File(u"cheap.csv"_s);
  WriteAll(csv,
           "\xEF\xBB\xBF"
           "Format,saltmarch98-units,Version,1\r\nName,cost,Owners\r\n"
           "trike,5,\"Atreides, Harkonnen\"\r\nSaboteur,,\r\n");
  const QString json = File(u"tough.json"_s);
  WriteAll(json, R"({"Format": "saltmarch98-units", "Version": 1, "Units": [
      {"Kind": "vehicle", "Index": 2, "Armor": 9, "SelfHeal": true}]})");
  FailurePlan plan;
  ASSERT_EQ(Import(csv, plan).status, 0);
  const Outcome run = Import(json, plan, {u"--dry-run"_s});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            u"vehicle 2 \"Raider\"\n  Armor: 3 -> 9\n  SelfHeal: false -> true\n"
            u"Dry run: nothing was written.\n"_s);
  const QByteArray now = game.TemplatesBytes();
  EXPECT_EQ(quint8(now[0x0500 + 28]), 5);
  EXPECT_EQ(quint8(now[0x0500 + 44]) & 0x16, 0x12);
  EXPECT_EQ(now[0x0600 + 2], original[0x0600 + 2]);
  EXPECT_EQ(plan.writeOffsets, QList<qint64>{0x0500});
}

TEST_F(ModText, RefusedFilesNameTheirFaultAndWriteNothing) {
  const QByteArray head = "Format,saltmarch98-units,Version,1\nKind,Index,Armor,Raw\n";
  const QByteArray json = R"({"Format": "saltmarch98-units", "Version": 1, "Units": [)";
  const QList<QPair<QByteArray, QString>> bad = {
      {"Format,saltmarch98-units,Version,2\nKind,Index\n", u"line 1: format version 2"_s},
      {"Kind,Index,Armor\ninfantry,1,4\n", u"line 1: not a unit file"_s},
      {head + "infantry,1,4\ninfantry,8,4\n", u"line 4: the infantry number must lie in 1..7"_s},
      {head + "tank,1,4\n", u"line 3: Kind must be infantry or vehicle"_s},
      {head + "vehicle,1,300\n", u"line 3 (vehicle 1 \"Trike\"): Armor: 300 is outside"_s},
      {head + "vehicle,1,x\n", u"line 3 (vehicle 1 \"Trike\"): Armor: \"x\" is not"_s},
      {head + "vehicle,1,2,00ff\n", u"line 3 (vehicle 1 \"Trike\"): Raw must be 512 hex"_s},
      {head + "vehicle,1,\"2\n", u"line 3: a quoted cell is never closed"_s},
      {head + "vehicle,1,\"2\"x\n", u"line 3: text after a closing quote"_s},
      {head + "vehicle,1,2,,5\n", u"line 3: 5 cells, but the header names 4"_s},
      {head + "vehicle,1,2\n\nvehicle,1,3\n",
       u"vehicle 1 \"Trike\" is given twice: line 3 and line 5"_s},
      {"Format,saltmarch98-units,Version,1\nKind,Speed\n", u"line 2: unknown column \"Speed\""_s},
      // The number parser stops at a NUL: both would be read as 1.
      {head + "vehicle,1,\"1\0 50\"\n"_ba,
       u"line 3: the value of Armor holds a control character (U+0000)"_s},
      {head + "vehicle,1\0 5,2\n"_ba, u"line 3: the value of Index holds"_s},
      {json + R"({"Name": "Quad", "Armor": "1\u000050"}]})",
       u"unit 1: the value of Armor holds a control character (U+0000)"_s},
      // The game file has no bit for the Emperor; he would vanish on writing.
      {"Format,saltmarch98-units,Version,1\nName,Owners\nTrike,\"Ordos,Emperor\"\n",
       u"line 3 (vehicle 1 \"Trike\"): Owners: the game file has no Emperor bit"_s},
      {json + R"({"Name": "Quad", "Owners": ["Emperor"]}]})",
       u"unit 1 (vehicle 3 \"Quad\"): Owners: the game file has no Emperor bit"_s},
      {json + R"({"Name": "Quad", "Speed": 3}]})", u"unit 1 (vehicle 3 \"Quad\"): unknown field"_s},
      {json + R"({"Name": "Quad", "Armor": 2.5}]})", u"Armor must be a whole number"_s},
      {json + R"({"Name": "Quad", "Armor": {"a": 1}}]})", u"Armor must be a whole number"_s},
      {json + R"({"Name": "Quad", "Health": 2147483648}]})", u"Health: 2147483648 is outside"_s},
      {json + R"({"Name": "Quad", "Armor": 2}, {"Name": "Sand Worm"}]})",
       u"unit 2: no unit is named"_s},
      {json + R"({"Name": "Trike", "Kind": "vehicle", "Index": 2}]})",
       u"\"Trike\" is not that of vehicle 2"_s},
      {json + "\n{\"Name\": \"Quad\",]}", u"line 2:"_s},
      {R"({"Format": "saltmarch98-units", "Version": "1.5", "Units": []})",
       u"format version 1.5"_s},
      {R"([1, 2])", u"line 1: the file must hold one object"_s},
      {R"({"Format": "saltmarch98-units", "Version": 1.5, "Units": []})",
       u"format version 1.5 is not supported"_s},
      // Qt's reader keeps one of two values of a key without a word.
      {json + "{\"Name\": \"Quad\", \"Armor\": 2,\n \"arm\\u006fr \": 3}]}",
       u"lines 1 and 2: \"armor\" is given twice in one object"_s},
      {R"({"Format": "saltmarch98-units", "Version": 2, "Version": 1, "Units": []})",
       u"line 1: \"Version\" is given twice"_s},
      {"{\"Format\": \"saltmarch98-units\",\r\"Version\": 1,\r\"Units\": [],\r\n\"Units\": []}",
       u"lines 3 and 4: \"Units\" is given twice"_s},
      {"{\"Format\": \"saltmarch98-units\",\r\"Version\": 1,\r\"Units\": [\r{\"Name\": 1,}]}",
       u"line 4: "_s},
      {head + "vehicle,1,\"2\r\"\rvehicle,2,\"3\r\n\"\r\nvehicle,22,1\n",
       u"line 7: the vehicle number must lie in 1..21"_s},
      // Names are printed in messages: one holding a terminal's escape sequence is refused.
      {json + R"({"Name": "Quad", "Arm\u001b[2Jor": 2}]})",
       u"unit 1: a name holds a control character (U+001B)"_s},
      {"Format,saltmarch98-units,Version,1\nKind,\x1b[2J\n"_ba,
       u"line 2: a name holds a control character (U+001B)"_s},
      {head + "vehicle,1,\v5\n",
       u"line 3: the value of Armor holds a control character (U+000B)"_s},
  };
  for (const auto& [content, message] : bad) {
    const QString file = File(u"bad.txt"_s);
    WriteAll(file, content);
    FailurePlan plan;
    const Outcome run = Import(file, plan);
    EXPECT_EQ(run.status, 2) << content.toStdString();
    EXPECT_TRUE(run.err.contains(message)) << content.toStdString() << "\n"
                                           << run.err.toStdString();
    EXPECT_EQ(WriteOpens(plan), 0) << content.toStdString();
    EXPECT_EQ(game.TemplatesBytes(), original) << content.toStdString();
  }
}

TEST_F(ModText, AValueTheGameAlreadyHoldsIsNeverRefused) {
  QByteArray bin = original;
  bin[0x1900 + 3] = char(250);  // beyond what the editor's controls offer
  game.WriteTemplates(bin);
  const QString file = File(u"same.csv"_s);
  WriteAll(file,
           "Format,saltmarch98-units,Version,1\nName,RateOfTurn,Cost\nUnknown Unit #3,250,7\n");
  FailurePlan plan;
  const Outcome run = Import(file, plan);
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(quint8(game.TemplatesBytes()[0x1900 + 3]), 250);
  EXPECT_EQ(quint8(game.TemplatesBytes()[0x1900 + 28]), 7);
}

TEST_F(ModText, FremenAndDeathHandShareOneRecord) {
  const QString file = File(u"shared.json"_s);
  const QByteArray head = R"({"Format": "saltmarch98-units", "Version": 1, "Units": [)";
  WriteAll(
      file,
      head + R"({"Name": "Fremen", "Armor": 4}, {"Name": "Harkonnen Death Hand", "Cost": 9}]})");
  FailurePlan plan;
  ASSERT_EQ(Import(file, plan).status, 0);
  EXPECT_EQ(plan.writeOffsets, QList<qint64>{0x1500});
  EXPECT_EQ(quint8(game.TemplatesBytes()[0x1500 + 2]), 4);
  EXPECT_EQ(quint8(game.TemplatesBytes()[0x1500 + 28]), 9);

  WriteAll(
      file,
      head + R"({"Name": "Fremen", "Armor": 5}, {"Name": "Harkonnen Death Hand", "Armor": 6}]})");
  const QByteArray before = game.TemplatesBytes();
  const Outcome run = Import(file, plan);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(
      run.err.contains(u"shares its record with infantry 3 \"Fremen\", which sets byte 2"_s))
      << run.err.toStdString();
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(ModText, OddPathsAndFailuresAreReportedNotSuccesses) {
  const QString mod = Export(u"mod.csv"_s, u"csv"_s);
  const QString fifo = File(u"pipe"_s);
#ifdef _WIN32
  // Windows has no FIFOs among its files; a folder where a file belongs is the odd path there.
  ASSERT_TRUE(QDir().mkpath(fifo));
#else
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
#endif
  QDir(game.Folder()).mkdir(u"short"_s);
  WriteAll(File(u"short/templates.bin"_s), QByteArray(100, 'x'));
  FailurePlan plan;
  EXPECT_EQ(Call(ImportCommand, {fifo, mod}).status, 2);
  EXPECT_EQ(Call(ImportCommand, {game.Folder(), fifo}).status, 2);
  EXPECT_EQ(Call(DiffCommand, {game.Folder(), fifo}).status, 2);
  const Outcome shortFile = Call(ImportCommand, {File(u"short/templates.bin"_s), mod});
  EXPECT_TRUE(
      shortFile.err.contains(u"100 bytes, but the game's templates.bin holds at least 6912"_s));
  EXPECT_EQ(ReadAll(File(u"short/templates.bin"_s)).size(), 100);
  EXPECT_EQ(Call(ImportCommand, {mod, mod}).status, 2);
  EXPECT_EQ(Call(ExportCommand, {game.Folder(), u"-o"_s, game.TemplatesPath()}).status, 2);
  EXPECT_EQ(Call(ExportCommand, {game.Folder(), u"--format"_s, u"xml"_s}).status, 2);

  // A write that fails is a failure, whatever came before it.
  QByteArray edited = original;
  edited[0x0300 + 16] = char(original[0x0300 + 16] ^ 1);
  SampleDir other;
  other.WriteTemplates(edited);
  Call(ExportCommand, {other.Folder(), u"-o"_s, mod});
  FailurePlan failing;
  failing.failWriteAt = 1;
  Outcome run = Import(mod, failing);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.startsWith(u"Nothing was written: "_s)) << run.err.toStdString();
  EXPECT_TRUE(run.err.endsWith(u"templates.bin holds what it held before.\n"_s));
  EXPECT_EQ(game.TemplatesBytes(), original);
  edited[0x1000 + 16] = char(original[0x1000 + 16] ^ 1);
  other.WriteTemplates(edited);
  Call(ExportCommand, {other.Folder(), u"-o"_s, mod});
  FailurePlan second;
  second.failWriteAt = 2;
  run = Import(mod, second);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.contains(u"The write failed after it began"_s)) << run.err.toStdString();

  // A stray huge file is refused with its own size, before it is read.
  QFile huge(File(u"huge.json"_s));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(200 * 1024 * 1024));
  huge.close();
  run = Import(huge.fileName(), second);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.err.contains(u"too large for a unit file (209715200 bytes;"_s))
      << run.err.toStdString();
}

TEST_F(ModText, AnImportIntoAReadOnlyGameSaysThatNothingWasWritten) {
  const QString mod = File(u"mod.json"_s);
  WriteAll(mod, R"({"Format": "saltmarch98-units", "Version": 1, "Units": [
      {"Name": "Quad", "Armor": 9}]})");
  const QString path = game.TemplatesPath();
  const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
  ASSERT_TRUE(QFile::setPermissions(path, readOnly));
  const auto writable =
      qScopeGuard([&] { QFile::setPermissions(path, readOnly | QFile::WriteOwner); });
  // 0 when the import is refused, says why and that nothing was written.
  const auto refused = [&] {
    const Outcome run = Call(ImportCommand, {game.Folder(), mod});
    if (run.status != 1) return 1;
      // The store's own message names the file and the reason (Windows has codes of its own).
#ifdef _WIN32
    const QString why = u"templates.bin: "_s;
#else
    const QString why = u"templates.bin: "_s + SystemErrorText(EACCES);
#endif
    if (dialogs.Texts().filter(why).size() != 1) return 2;
    return run.err.endsWith(u"templates.bin holds what it held before.\n"_s) ? 0 : 3;
  };
  if (QFile probe(path); !probe.open(QIODevice::ReadWrite)) {
    EXPECT_EQ(refused(), 0);
  } else {
#ifdef _WIN32
    GTEST_SKIP() << "this user may write read-only files (Wine run by root)";
#else
    // Root may write any file: a user who is not root meets the refusal.
    for (const QString& at : {game.Path({}), game.Path(u"data"_s), game.Path(u"data/bin"_s), mod}) {
      QFile::setPermissions(at, QFile::permissions(at) | QFile::ExeOther | QFile::ReadOther);
    }
    EXPECT_EQ(ExitStatus(AsAnotherUser(refused)), 0);
#endif
  }
  EXPECT_EQ(game.TemplatesBytes(), original);
}

TEST_F(ModText, AnExportReplacesOnlyARegularFileAndOnlyWhenItIsWholeAndWritten) {
  const QString mod = File(u"mod.json"_s);
  ASSERT_TRUE(WriteAll(mod, "my own mod\n"));
  const auto exportTo = [&](const QString& target) {
    return Call(ExportCommand, {game.Folder(), u"-o"_s, target});
  };
  {
    const DiskFault full = DiskFault::FullAfter(1000, kErrorDiskFull);
    const Outcome run = exportTo(mod);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(SystemErrorText(kErrorDiskFull))) << run.err.toStdString();
  }
  EXPECT_EQ(ReadAll(mod), "my own mod\n");
  // Nor is the temporary file left behind.
  EXPECT_TRUE(
      QDir(game.Folder()).entryList({u".mod.json*"_s}, QDir::Files | QDir::Hidden).isEmpty());

#ifndef _WIN32
  // Here "MOD.json" is another file than "mod.json", which must not be taken.
  EXPECT_EQ(exportTo(File(u"MOD.json"_s)).status, 2);
  EXPECT_EQ(ReadAll(mod), "my own mod\n");
  EXPECT_FALSE(QFileInfo::exists(File(u"MOD.json"_s)));

  const QString fifo = File(u"pipe"_s);
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const Outcome run = exportTo(fifo);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.err.contains(u"is not a regular file"_s));
  struct stat st {};
  EXPECT_TRUE(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));

  // A mod kept through a link is updated where it lives; the link stays.
  const QString link = File(u"link.json"_s);
  ASSERT_TRUE(QFile::link(mod, link));
  EXPECT_EQ(exportTo(link).status, 0);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_TRUE(ReadAll(mod).startsWith("{\n  \"Format\""));
#endif
}

TEST_F(ModText, AGameFileIsNoTextForItsFirstByte) {
  SampleDir other;
  QByteArray edited = original;
  edited[0] = '{';
  other.WriteTemplates(edited);
  const Outcome run = Call(DiffCommand, {game.Folder(), other.TemplatesPath()});
  EXPECT_EQ(run.status, 1) << run.err.toStdString();
  EXPECT_TRUE(run.out.startsWith(u"infantry 1 \"Light Infantry\"\n"_s)) << run.out.toStdString();
  // A damaged text file is still read as one and refused with its line.
  WriteAll(File(u"damaged.csv"_s),
           "Format,saltmarch98-units,Version,1\nKind,Index,Armor\n"
           "vehicle,1,\"1\0 5\"\n"_ba);
  EXPECT_TRUE(Call(DiffCommand, {game.Folder(), File(u"damaged.csv"_s)})
                  .err.contains(u"line 3: the value of Armor holds a control character"_s));
}

TEST_F(ModText, DiffWithTheBackupNamesExactlyTheEditedFields) {
  QDir(game.Folder()).mkdir(u"Dune2kBak"_s);
  ASSERT_TRUE(WriteAll(File(u"Dune2kBak/templates.bin"_s), original));
  RegAccessor().Write(RegRoot::CurrentUser, u"\\SOFTWARE\\Pellworth Software\\Saltmarch98\\"_s,
                      u"BackupLoc"_s, RegValue::String(File(u"Dune2kBak/"_s)));
  EXPECT_EQ(Call(DiffCommand, {game.Folder(), u"--backup"_s}).status, 0);

  QByteArray edited = original;
  SetBytes(edited, 0x0D00 + 28, {0xE8, 0x03, 0, 0});  // Missile Tank: Cost 1000
  edited[0x0D00 + 57] = char(edited[0x0D00 + 57] ^ 0x80);
  edited[0x0100 + 200] = char(0x5A);  // Troopers: a byte no field holds
  game.WriteTemplates(edited);
  const Outcome run = Call(DiffCommand, {game.Folder(), u"--backup"_s});
  EXPECT_EQ(run.status, 1);
  const bool wasInaccurate = quint8(original[0x0D00 + 57]) & 0x80;
  EXPECT_EQ(run.out,
            u"infantry 2 \"Troopers\"\n  byte 200: %1 -> 5a\n"
            u"vehicle 9 \"Missile Tank\"\n  Cost: %2 -> 1000\n  Inaccurate: %3 -> %4\n"_s
                .arg(u"%1"_s.arg(quint8(original[0x0100 + 200]), 2, 16, QChar(u'0')))
                .arg(qFromLittleEndian<qint32>(original.constData() + 0x0D00 + 28))
                .arg(wasInaccurate ? u"true"_s : u"false"_s)
                .arg(wasInaccurate ? u"false"_s : u"true"_s));
  EXPECT_EQ(Call(DiffCommand, {game.Folder(), File(u"nowhere"_s)}).status, 2);
}

}  // namespace
