#include "otheruser.h"
#include "paths.h"
#include "sampledir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstring>

#include <gtest/gtest.h>

namespace {

struct Outcome {
  int status = -1;
  QString out, err;
};

// Runs the program; `outputFile`, when given, takes its standard output instead of a pipe.
Outcome Units(const QStringList& args, const QString& outputFile = {}) {
  QProcess process;
  if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
  process.start(QStringLiteral(SMARCH_UNITS_EXE), args);
  process.waitForFinished(60000);
  // Lines end in CR LF on Windows, as text there does.
  const auto text = [](const QByteArray& bytes) {
    return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  };
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

class UnitsTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.ok());
    original = sample.TemplatesBytes();
  }
  QString Game() const { return sample.Path(QString()); }
  SampleDir sample;
  QByteArray original;
};

TEST_F(UnitsTool, ShowListsAllUnitsWithNamesAndOffsets) {
  const Outcome run = Units({QStringLiteral("show"), Game()});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  for (const char* name :
       {"Light Infantry", "Saboteur", "Trike", "Atriedies Combat Tank",
        "Mobile Contruction Vehicle", "Harkonnen Death Hand", "Unknown Unit #4"}) {
    EXPECT_TRUE(run.out.contains(QString::fromLatin1(name))) << name;
  }
  EXPECT_TRUE(run.out.contains(QStringLiteral("0x1A00")));
  EXPECT_TRUE(run.out.contains(QStringLiteral("Health=110")));
  EXPECT_EQ(run.out.count(QStringLiteral(" at 0x")), 28);
}

TEST_F(UnitsTool, ShowJsonHasEveryFieldOfEveryUnit) {
  const Outcome run =
      Units({QStringLiteral("show"), sample.TemplatesPath(), QStringLiteral("--json")});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  const QJsonArray units = QJsonDocument::fromJson(run.out.toUtf8()).array();
  ASSERT_EQ(units.size(), 28);
  const QJsonObject first = units[0].toObject();
  EXPECT_EQ(first[QStringLiteral("Kind")].toString(), QStringLiteral("infantry"));
  EXPECT_EQ(first[QStringLiteral("Index")].toInt(), 1);
  EXPECT_EQ(first[QStringLiteral("Name")].toString(), QStringLiteral("Light Infantry"));
  EXPECT_EQ(first[QStringLiteral("Offset")].toInt(), 0);
  EXPECT_EQ(first[QStringLiteral("Health")].toInt(), 110);
  EXPECT_EQ(first[QStringLiteral("Owners")].toArray(),
            QJsonArray({QStringLiteral("Atreides"), QStringLiteral("Ordos"),
                        QStringLiteral("Harkonnen")}));
  EXPECT_TRUE(first[QStringLiteral("Inaccurate")].isBool());
  EXPECT_TRUE(first[QStringLiteral("Byte20Set")].isDouble() ||
              first[QStringLiteral("Byte20Set")].isNull());
  for (const char* key :
       {"Health",    "Cost",       "BuildSpeed", "Byte40",  "Byte47",  "FireSpeed",
        "Byte20Set", "Armor",      "RateOfTurn", "Byte12",  "Sight",   "Flag37",
        "Byte45",    "Inaccurate", "SelfHeal",   "Long92",  "Long96",  "Long100",
        "Long104",   "Long124",    "Long128",    "Long132", "Long136", "Owners"}) {
    EXPECT_TRUE(first.contains(QString::fromLatin1(key))) << key;
  }
  const QJsonObject last = units[27].toObject();
  EXPECT_EQ(last[QStringLiteral("Kind")].toString(), QStringLiteral("vehicle"));
  EXPECT_EQ(last[QStringLiteral("Index")].toInt(), 21);
  EXPECT_EQ(last[QStringLiteral("Offset")].toInt(), 0x1A00);
}

TEST_F(UnitsTool, SetChangesOnlyThatRecord) {
  const Outcome run = Units({QStringLiteral("set"), Game(), QStringLiteral("vehicle"),
                             QStringLiteral("3"), QStringLiteral("Armor=12"),
                             QStringLiteral("Owners=Ordos,harkonnen"), QStringLiteral("Sight=7"),
                             QStringLiteral("Cost=-5"), QStringLiteral("SelfHeal=true")});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Quad Saved Successfully")));
  EXPECT_TRUE(run.out.contains(QStringLiteral("Changes Have Been Applied")));
  const QByteArray now = sample.TemplatesBytes();
  ASSERT_EQ(now.size(), original.size());
  QList<int> changed;
  for (int at = 0; at < now.size(); ++at) {
    if (now[at] != original[at]) changed << at;
  }
  for (int at : changed) {
    EXPECT_TRUE(at >= 0x0700 && at < 0x0800) << "byte " << at << " outside the Quad's record";
  }
  EXPECT_EQ(quint8(now[0x0700 + 2]), 12);  // vehicle armour goes beyond 7
  EXPECT_EQ(quint8(now[0x0700 + 16]), 7);
  EXPECT_EQ(quint8(now[0x0700 + 44]) & 0x16, 0x06);
  EXPECT_EQ(quint8(now[0x0700 + 58]) & 0x80, 0x80);

  const Outcome show = Units({QStringLiteral("show"), Game(), QStringLiteral("--json")});
  const QJsonObject quad = QJsonDocument::fromJson(show.out.toUtf8()).array()[9].toObject();
  EXPECT_EQ(quad[QStringLiteral("Name")].toString(), QStringLiteral("Quad"));
  EXPECT_EQ(quad[QStringLiteral("Cost")].toInt(), -5);
}

TEST_F(UnitsTool, BadRequestsLeaveTheFileUntouched) {
  const QString game = Game();
  const QList<QStringList> bad = {
      {QStringLiteral("set"), game, QStringLiteral("vehicle"), QStringLiteral("3"),
       QStringLiteral("Speed=4")},
      {QStringLiteral("set"), game, QStringLiteral("vehicle"), QStringLiteral("3"),
       QStringLiteral("Armor=lots")},
      {QStringLiteral("set"), game, QStringLiteral("vehicle"), QStringLiteral("3"),
       QStringLiteral("Armor=256")},
      {QStringLiteral("set"), game, QStringLiteral("infantry"), QStringLiteral("1"),
       QStringLiteral("Owners=Fremen")},
      {QStringLiteral("set"), game, QStringLiteral("infantry"), QStringLiteral("8"),
       QStringLiteral("Armor=1")},
      {QStringLiteral("set"), game, QStringLiteral("tank"), QStringLiteral("1"),
       QStringLiteral("Armor=1")},
      {QStringLiteral("set"), game, QStringLiteral("vehicle"), QStringLiteral("2"),
       QStringLiteral("Health=2147483648")},
      // The editor's controls stop sight and infantry armour at 7.
      {QStringLiteral("set"), game, QStringLiteral("vehicle"), QStringLiteral("2"),
       QStringLiteral("Sight=8")},
      {QStringLiteral("set"), game, QStringLiteral("infantry"), QStringLiteral("2"),
       QStringLiteral("Armor=8")},
      {QStringLiteral("set"), game + QStringLiteral("/nowhere"), QStringLiteral("vehicle"),
       QStringLiteral("2"), QStringLiteral("Armor=1")},
      {QStringLiteral("show"), game + QStringLiteral("/nowhere")},
      {QStringLiteral("frobnicate"), game},
  };
  for (const QStringList& args : bad) {
    const Outcome run = Units(args);
    EXPECT_NE(run.status, 0) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(run.err.trimmed().isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(sample.TemplatesBytes(), original) << args.join(QLatin1Char(' ')).toStdString();
  }
}

TEST_F(UnitsTool, OwnersTheFileCannotStoreAreRefusedNotDropped) {
  // Byte 44 has no bit for the Emperor: accepting him would clear the unit's owners.
  for (const QString& owners :
       {QStringLiteral("Owners=Emperor"), QStringLiteral("Owners=Ordos, emperor")}) {
    const Outcome run = Units(
        {QStringLiteral("set"), Game(), QStringLiteral("vehicle"), QStringLiteral("3"), owners});
    EXPECT_EQ(run.status, 2) << owners.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("no Emperor bit"))) << run.err.toStdString();
    EXPECT_EQ(sample.TemplatesBytes(), original) << owners.toStdString();
  }
  const Outcome unknown = Units({QStringLiteral("set"), Game(), QStringLiteral("infantry"),
                                 QStringLiteral("1"), QStringLiteral("Owners=Fremen")});
  EXPECT_TRUE(unknown.err.contains(QStringLiteral("(houses: Atreides, Ordos, Harkonnen)\n")))
      << unknown.err.toStdString();
}

TEST_F(UnitsTool, KindsAndHousesIgnoreCaseAndTakeTheEditorsSpelling) {
  // The editor's windows label the first house "Atreidies": a mod copying that means Atreides.
  const Outcome set =
      Units({QStringLiteral("set"), Game(), QStringLiteral("Vehicle"), QStringLiteral("3"),
             QStringLiteral("Owners=ATREIDIES, ordos")});
  ASSERT_EQ(set.status, 0) << set.err.toStdString();

  const QString mod = sample.Path(QStringLiteral("mod.csv"));
  ASSERT_TRUE(WriteAll(mod, "Format,saltmarch98-units,Version,1\nKind,Index,Owners\n"
                            "INFANTRY,2,Atreidies\n"));
  const Outcome imported = Units({QStringLiteral("import"), Game(), mod});
  ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
  EXPECT_TRUE(imported.out.contains(QStringLiteral("Owners: "))) << imported.out.toStdString();

  const Outcome show = Units({QStringLiteral("show"), Game(), QStringLiteral("--json")});
  const QJsonArray units = QJsonDocument::fromJson(show.out.toUtf8()).array();
  EXPECT_EQ(units[9].toObject()[QStringLiteral("Owners")].toArray(),
            QJsonArray({QStringLiteral("Atreides"), QStringLiteral("Ordos")}));
  EXPECT_EQ(units[1].toObject()[QStringLiteral("Owners")].toArray(),
            QJsonArray({QStringLiteral("Atreides")}));
}

TEST_F(UnitsTool, AMissingFileIsToldAsMissing) {
  const QString nowhere = sample.Path(QStringLiteral("nowhere.json"));
  for (const QStringList& args :
       {QStringList{QStringLiteral("import"), Game(), nowhere},
        QStringList{QStringLiteral("diff"), Game(), nowhere},
        QStringList{QStringLiteral("export"), nowhere}, QStringList{QStringLiteral("show"), nowhere}}) {
    const Outcome run = Units(args);
    EXPECT_NE(run.status, 0) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(run.err.contains(nowhere)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(SystemErrorText(kErrorNoSuchFile)) ||
                run.err.contains(QStringLiteral("No such game folder or file")))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("not a regular file"))) << run.err.toStdString();
  }
}

TEST_F(UnitsTool, AMissingTemplatesFileIsReportedOnceWithPathAndReason) {
  QFile::remove(sample.TemplatesPath());
  for (const QString& command : {QStringLiteral("set"), QStringLiteral("show")}) {
    const QStringList args = {command, Game(), QStringLiteral("infantry"), QStringLiteral("1"),
                              QStringLiteral("Armor=1")};
    const Outcome run = Units(args.mid(0, command == QStringLiteral("set") ? 5 : 2));
    EXPECT_EQ(run.status, 1);
    const QString all = run.out + run.err;
    EXPECT_EQ(all.count(QStringLiteral("Error #2 : Couldn't Open TEMPLATES.BIN")), 1)
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("templates.bin: ") + SystemErrorText(kErrorNoSuchFile)))
        << all.toStdString();
  }
  EXPECT_FALSE(QFile::exists(sample.TemplatesPath()));
}

TEST_F(UnitsTool, TextCommandsAnswerWithDiffsExitCodes) {
  const Outcome help = Units({QStringLiteral("--help")});
  for (const char* usage : {"export PATH", "import PATH FILE", "diff A B", "--backup"}) {
    EXPECT_TRUE(help.out.contains(QString::fromLatin1(usage))) << usage;
  }
  Outcome exported = Units({QStringLiteral("export"), Game()});
  ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
  const QString mod = sample.Path(QStringLiteral("mod.json"));
  ASSERT_TRUE(WriteAll(
      mod, exported.out.replace(QStringLiteral("\"Armor\": 1,"), QStringLiteral("\"Armor\": 5,"))
               .toUtf8()));
  EXPECT_EQ(Units({QStringLiteral("diff"), Game(), Game()}).status, 0);
  const Outcome differs = Units({QStringLiteral("diff"), Game(), mod});
  EXPECT_EQ(differs.status, 1);
  EXPECT_TRUE(
      differs.out.startsWith(QStringLiteral("infantry 1 \"Light Infantry\"\n  Armor: 1 -> 5\n")))
      << differs.out.toStdString();
  EXPECT_EQ(Units({QStringLiteral("diff"), Game(), QStringLiteral("/nowhere")}).status, 2);
  EXPECT_EQ(sample.TemplatesBytes(), original);
  const Outcome imported = Units({QStringLiteral("import"), Game(), mod});
  EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
  EXPECT_TRUE(imported.out.contains(QStringLiteral("Changes Have Been Applied")));
  EXPECT_EQ(Units({QStringLiteral("diff"), Game(), mod}).status, 0);
}

TEST_F(UnitsTool, OnlyATemplatesBinOfFullSizeIsTouched) {
  // Files that are not the game's templates.bin: the program, a note, a short templates.bin.
  ASSERT_TRUE(WriteAll(sample.Path(QStringLiteral("notes.txt")), QByteArray("hello\n")));
  const QByteArray exe = ReadAll(sample.Path(QStringLiteral("Dune2000.exe")));
  const QByteArray shortFile = original.left(100);
  sample.WriteTemplates(shortFile);
  const QStringList paths = {sample.Path(QStringLiteral("Dune2000.exe")),
                             sample.Path(QStringLiteral("notes.txt")), sample.TemplatesPath(),
                             Game()};
  for (const QString& path : paths) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("show"), path},
          QStringList{QStringLiteral("set"), path, QStringLiteral("infantry"), QStringLiteral("1"),
                      QStringLiteral("Health=5")}}) {
      const Outcome run = Units(args);
      EXPECT_EQ(run.status, 1) << args.join(QLatin1Char(' ')).toStdString();
      EXPECT_FALSE(run.out.contains(QStringLiteral("Changes Have Been Applied")));
    }
  }
  const Outcome run = Units({QStringLiteral("show"), Game()});
  EXPECT_TRUE(run.err.contains(QStringLiteral("100 bytes")));
  EXPECT_TRUE(run.err.contains(QStringLiteral("6912")));
  EXPECT_EQ(ReadAll(sample.Path(QStringLiteral("notes.txt"))), QByteArray("hello\n"));
  EXPECT_EQ(ReadAll(sample.Path(QStringLiteral("Dune2000.exe"))), exe);
  EXPECT_EQ(sample.TemplatesBytes(), shortFile);
}

TEST_F(UnitsTool, APipeInTheFilesPlaceIsRefusedAtOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps no FIFOs among its files";
#else
  QFile::remove(sample.TemplatesPath());
  ASSERT_EQ(::mkfifo(sample.TemplatesPath().toLocal8Bit().constData(), 0600), 0);
  const Outcome run = Units({QStringLiteral("show"), Game()});
  EXPECT_EQ(run.status, 1);  // a hang would end in the harness's kill, not in 1
  EXPECT_TRUE(run.err.contains(QStringLiteral("not a regular file")));
#endif
}

TEST_F(UnitsTool, OutputThatCannotBeWrittenIsAFailure) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device that is always full";
#else
  const QString full = QStringLiteral("/dev/full");
  if (!QFile::exists(full)) GTEST_SKIP() << "no /dev/full here";
  for (const QString& command : {QStringLiteral("export"), QStringLiteral("show")}) {
    const Outcome run = Units({command, Game()}, full);
    EXPECT_EQ(run.status, 2) << command.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("Can't write the output: No space left on device\n"))
        << command.toStdString();
  }
  // diff's 1 means "they differ": an answer that was lost is trouble instead.
  SampleDir other;
  QByteArray edited = original;
  edited[2] = char(original[2] ^ 1);
  other.WriteTemplates(edited);
  EXPECT_EQ(Units({QStringLiteral("diff"), Game(), other.Path(QString())}, full).status, 2);
  // set's messages leave in small writes that fail only when the output is flushed or closed.
  const Outcome set = Units({QStringLiteral("set"), Game(), QStringLiteral("vehicle"),
                             QStringLiteral("3"), QStringLiteral("Armor=9")},
                            full);
  EXPECT_EQ(set.status, 2);
  EXPECT_TRUE(set.err.contains(QStringLiteral("Can't write the output"))) << set.err.toStdString();
  // -o naming a device refuses it, never replaces it by a regular file. The device is a node
  // of the test's own (a copy of /dev/null, made where root may): should that ever fail, it
  // must not be the system's /dev/full that is lost.
  struct stat null {};
  const QString device = sample.Path(QStringLiteral("device"));
  if (::stat("/dev/null", &null) != 0 ||
      ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, null.st_rdev) != 0) {
    GTEST_SKIP() << "this user may not make a device node";
  }
  const Outcome named = Units({QStringLiteral("export"), Game(), QStringLiteral("-o"), device});
  EXPECT_EQ(named.status, 2);
  EXPECT_TRUE(named.err.contains(QStringLiteral("device is not a regular file")));
  struct stat after {};
  EXPECT_TRUE(::lstat(QFile::encodeName(device).constData(), &after) == 0 &&
              S_ISCHR(after.st_mode));
#endif
}

#ifndef _WIN32
// `smarch-units locate` on a settings folder of its own, whose HKLM.reg gives `installPath`
// (REGEDIT4 escapes, written as they stand), and an empty Wine prefix.
class Locate : public ::testing::Test {
 protected:
  void Install(const QByteArray& installPath) {
    ASSERT_TRUE(WriteAll(settings.filePath(QStringLiteral("HKLM.reg")),
                         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Westwood\\Dune 2000]\r\n"
                         "\"InstallPath\"=\"" +
                             installPath + "\"\r\n"));
  }
  // As the user nobody when `otherUser` and the test runs as root, who may read any file.
  Outcome Run(bool otherUser = false) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SALTMARCH_REGISTRY_DIR"), settings.path());
    env.insert(QStringLiteral("WINEPREFIX"), prefix.path());
    process.setProcessEnvironment(env);
    if (otherUser && ::getuid() == 0) {
      process.setChildProcessModifier([] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
      });
    }
    process.start(QStringLiteral(SMARCH_UNITS_EXE), {QStringLiteral("locate")});
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }
  QTemporaryDir settings, prefix;
  SampleDir game;
};

TEST_F(Locate, PrintsControlCharactersOfAValueEscaped) {
  Install("/nowhere\\nGame folder:       /forged\\x001b]0;owned\\x0007");
  const Outcome run = Run();
  EXPECT_EQ(run.status, 1);
  const QStringList lines = run.out.split(u'\n');
  EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^Game folder:"))).size(), 1)
      << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(
      QStringLiteral("\"/nowhere<U+000A>Game folder:       /forged<U+001B>]0;owned<U+0007>\"")))
      << run.out.toStdString();
  EXPECT_FALSE(run.err.contains(QChar(0x1B)));
}

TEST_F(Locate, RefusesANetworkPathAndTakesAFolderThatHoldsTheGame) {
  Install("\\\\\\\\server\\\\share\\\\Dune2000\\\\Dune2000.exe");
  Outcome run = Run();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.startsWith(QStringLiteral("Game folder:       (none found)\n")));
  EXPECT_TRUE(
      run.err.contains(QStringLiteral("is a network path (\\\\server\\share\\...), "
                                      "which this system cannot open")))
      << run.err.toStdString();

  // The value names the game's folder rather than its program.
  QString folder = game.Folder();
  folder.chop(1);
  Install(folder.toUtf8());
  run = Run();
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.startsWith(QStringLiteral("Game folder:       ") + game.Folder() + u'\n'))
      << run.out.toStdString();
}

TEST_F(Locate, TellsAnUnreadableSystemRegFromADamagedOne) {
  const QString systemReg = prefix.filePath(QStringLiteral("system.reg"));
  ASSERT_TRUE(WriteAll(systemReg, "not a registry\n"));
  EXPECT_TRUE(Run().out.contains(QStringLiteral("(15 bytes), not a registry file\n")));
  // The prefix is the user's own; the other user may enter it but not read the file.
  ASSERT_TRUE(QFile::setPermissions(
      prefix.path(), QFile::permissions(prefix.path()) | QFile::ReadOther | QFile::ExeOther));
  ASSERT_TRUE(QFile::setPermissions(
      settings.path(), QFile::permissions(settings.path()) | QFile::ReadOther | QFile::ExeOther));
  ASSERT_TRUE(QFile::setPermissions(systemReg, QFile::WriteOwner));
  const Outcome run = Run(true);
  EXPECT_TRUE(run.out.contains(QStringLiteral("(15 bytes), cannot read it: Permission denied\n")))
      << run.out.toStdString() << run.err.toStdString();
}
#endif

TEST_F(UnitsTool, ASetThatChangesNothingWritesNothing) {
  // Byte 37 of 2 would become 1 on any write of the record.
  QByteArray bytes = original;
  bytes[0x0500 + 37] = 2;
  sample.WriteTemplates(bytes);
  qint32 health = 0;
  std::memcpy(&health, bytes.constData() + 0x0504, 4);
  const Outcome run =
      Units({QStringLiteral("set"), Game(), QStringLiteral("vehicle"), QStringLiteral("1"),
             QStringLiteral("Health=%1").arg(health), QStringLiteral("Flag37=true")});
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("nothing written")));
  EXPECT_EQ(sample.TemplatesBytes(), bytes);
}

}  // namespace
