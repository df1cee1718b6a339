// The three programs' command lines as a user meets them: --help and --version answer on
// standard output with 0, a wrong command line gets one line on standard error that points to
// the help, and exit status 2.

#include "programinfo.h"
#include "sampledir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Outcome {
  int status = -1;
  QString out, err;
};

// Runs `program` with settings of its own; `outputFile`, when given, takes its standard output
// instead of a pipe.
Outcome Start(const QString& program, const QStringList& args, const QString& outputFile = {}) {
  static const QTemporaryDir settings, runtime;
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"SALTMARCH_REGISTRY_DIR"_s, settings.path());
  // The toolkit's own warning about a missing runtime folder is no line of the program's.
  environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
  process.setProcessEnvironment(environment);
  if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
  process.start(program, args);
  process.waitForFinished(60000);
  const auto text = [](const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes).replace(u"\r\n"_s, u"\n"_s);
  };
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

struct Program {
  QString name;
  QString file;
};

const QList<Program> kPrograms = {{u"smarch"_s, QStringLiteral(SMARCH_EXE)},
                                  {u"setup"_s, QStringLiteral(SETUP_EXE)},
                                  {u"smarch-units"_s, QStringLiteral(SMARCH_UNITS_EXE)}};

const QString kUnits = QStringLiteral(SMARCH_UNITS_EXE);
const QStringList kCommands = {u"show"_s,   u"set"_s,  u"export"_s,
                               u"import"_s, u"diff"_s, u"locate"_s};

TEST(CommandLine, EveryProgramAnswersHelpAndVersionOnStandardOutput) {
  // The version the windows show in their status bar, from the same one place.
  const QString version = FileVersionText();
  for (const Program& program : kPrograms) {
    for (const QString& help : {u"--help"_s, u"-h"_s}) {
      const Outcome run = Start(program.file, {help});
      EXPECT_EQ(run.status, 0) << program.name.toStdString();
      EXPECT_TRUE(run.out.startsWith(u"Usage: "_s + program.name)) << run.out.toStdString();
      EXPECT_TRUE(run.out.contains(u"\nExamples:\n  $ "_s)) << run.out.toStdString();
      EXPECT_EQ(run.err, QString()) << program.name.toStdString();
    }
    const Outcome run = Start(program.file, {u"--version"_s});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, program.name + u" (Saltmarch 98) "_s + version + u'\n');
    EXPECT_EQ(run.err, QString());
  }
}

TEST(CommandLine, EveryCommandOfSmarchUnitsExplainsItself) {
  const Outcome all = Start(kUnits, {u"--help"_s});
  for (const QString& command : kCommands) {
    EXPECT_TRUE(all.out.contains(u"\n  "_s + command + u' ') ||
                all.out.contains(u"\n  "_s + command + u'\n'))
        << command.toStdString();
    // Its help wins over whatever else the line holds, wherever it stands.
    for (const QStringList& extra : {QStringList{}, QStringList{u"no-such-game"_s}}) {
      const Outcome run = Start(kUnits, QStringList{command} + extra + QStringList{u"--help"_s});
      EXPECT_EQ(run.status, 0) << command.toStdString();
      EXPECT_TRUE(run.out.startsWith(u"Usage: smarch-units "_s + command)) << run.out.toStdString();
      EXPECT_TRUE(run.out.contains(u"\nExamples:\n  $ "_s)) << run.out.toStdString();
      EXPECT_EQ(run.err, QString()) << run.err.toStdString();
    }
    const Outcome version = Start(kUnits, {command, u"--version"_s});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(u"smarch-units (Saltmarch 98) "_s));
  }
}

TEST(CommandLine, AWrongCommandLineGetsOneLineThatPointsToTheHelp) {
  SampleDir game;
  const QString units = kUnits, setup = QStringLiteral(SETUP_EXE);
  struct Case {
    QString program;
    QStringList args;
    QString line;  // the whole line, or its start before "; see"
  };
  const QList<Case> cases = {
      {units, {u"x"_s}, u"smarch-units: unknown command \"x\""_s},
      {units, {}, u"smarch-units: which command? show, set, export, import, diff, locate"_s},
      {units, {u"show"_s}, u"smarch-units show: which game? Give PATH"_s},
      {units, {u"show"_s, game.Folder(), u"--jsno"_s},
       u"smarch-units show: unexpected argument \"--jsno\""_s},
      {units, {u"set"_s, game.Folder(), u"tank"_s, u"1"_s, u"Armor=1"_s},
       u"smarch-units set: the kind must be infantry or vehicle, not \"tank\""_s},
      {units, {u"set"_s, game.Folder(), u"vehicle"_s, u"22"_s, u"Armor=1"_s},
       u"smarch-units set: the vehicle number must lie in 1..21, not \"22\""_s},
      {units, {u"set"_s, game.Folder(), u"vehicle"_s, u"2"_s, u"Armor"_s},
       u"smarch-units set: expected Field=value, not \"Armor\""_s},
      {units, {u"set"_s, game.Folder()}, u"smarch-units set: give PATH, a kind"_s},
      {units, {u"export"_s, game.Folder(), u"--format"_s, u"xml"_s},
       u"smarch-units export: the format must be json or csv, not \"xml\""_s},
      {units, {u"import"_s, game.Folder(), u"mod.json"_s, u"--dryrun"_s},
       u"smarch-units import: unexpected argument \"--dryrun\""_s},
      {units, {u"diff"_s, game.Folder()}, u"smarch-units diff: give two files"_s},
      {units, {u"locate"_s, game.Folder()}, u"smarch-units locate: unexpected argument"_s},
      {setup, {u"--unattended"_s, u"--bogus"_s}, u"setup: unknown option \"--bogus\""_s},
      {setup, {u"--unattended"_s, u"--location"_s}, u"setup: --location needs a folder"_s},
      // The windowed programs pass the toolkit its options and refuse what is left.
      {setup, {u"--location"_s, game.Folder()}, u"setup: --location is for --unattended"_s},
      {QStringLiteral(SMARCH_EXE), {u"-platform"_s, u"offscreen"_s, u"--bogus"_s},
       u"smarch: unknown option \"--bogus\""_s},
  };
  for (const Case& c : cases) {
    const QString what = c.args.join(u' ');
    const Outcome run = Start(c.program, c.args);
    EXPECT_EQ(run.status, 2) << what.toStdString();
    EXPECT_EQ(run.out, QString()) << what.toStdString();
    EXPECT_TRUE(run.err.startsWith(c.line)) << run.err.toStdString();
    // One line, naming the help of the program or of its command.
    const QString program = c.line.section(u':', 0, 0);
    EXPECT_TRUE(run.err.endsWith(u"; see "_s + program + u" --help\n"_s)) << run.err.toStdString();
    EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
  }
  EXPECT_EQ(game.TemplatesBytes(), SampleDir().TemplatesBytes());
}

TEST(CommandLine, HelpThatCannotBeWrittenIsAFailure) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no device that is always full";
#else
  if (!QFile::exists(u"/dev/full"_s)) GTEST_SKIP() << "no /dev/full here";
  for (const Program& program : kPrograms) {
    for (const QString& option : {u"--help"_s, u"--version"_s}) {
      const Outcome run = Start(program.file, {option}, u"/dev/full"_s);
      EXPECT_NE(run.status, 0) << program.name.toStdString();
      EXPECT_TRUE(run.err.contains(u"write the output"_s)) << run.err.toStdString();
    }
  }
#endif
}

TEST(CommandLine, TheManualPageOfSmarchUnitsIsItsHelpAndIsInstalled) {
#ifndef SMARCH_BUILD_DIR
  GTEST_SKIP() << "this build makes no manual page";
#else
  QTemporaryDir prefix;
  QProcess install;
  install.start(QStringLiteral(SMARCH_CMAKE),
                {u"--install"_s, QStringLiteral(SMARCH_BUILD_DIR), u"--component"_s, u"manual"_s,
                 u"--prefix"_s, prefix.path()});
  ASSERT_TRUE(install.waitForFinished(60000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
  // Compressed, as Debian wants manual pages.
  QProcess gunzip;
  gunzip.start(u"gzip"_s, {u"-dc"_s, prefix.filePath(u"share/man/man1/smarch-units.1.gz"_s)});
  ASSERT_TRUE(gunzip.waitForFinished(60000));
  const QString page = QString::fromUtf8(gunzip.readAllStandardOutput());
  ASSERT_FALSE(page.isEmpty());
  EXPECT_TRUE(page.contains(u".TH SMARCH-UNITS \"1\""_s)) << page.toStdString();
  EXPECT_TRUE(page.contains(u"Saltmarch 98 "_s + FileVersionText())) << page.toStdString();
  for (const QString& command : kCommands) {
    EXPECT_TRUE(page.contains(u'\n' + command + u' ') || page.contains(u'\n' + command + u'\n'))
        << command.toStdString();
  }
  EXPECT_TRUE(page.contains(u".SH EXAMPLES"_s));
  EXPECT_TRUE(page.contains(u"$ smarch-units diff GAME mymod.json"_s)) << page.toStdString();
#endif
}

}  // namespace
