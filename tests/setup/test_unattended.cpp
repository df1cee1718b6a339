#include "sampledir.h"
#include "samplegame.h"
#include "setuptestsupport.h"
#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Result {
  int exitCode = -1;
  QString output;
};

Result RunSetup(const QString& folder, const QStringList& arguments) {
  QProcess setup;
  setup.setWorkingDirectory(folder);
  setup.setProcessChannelMode(QProcess::MergedChannels);
  setup.start(QString::fromLocal8Bit(SETUP_EXE), arguments);
  if (!setup.waitForFinished(120000)) return {};
  // Lines end in CR LF on Windows, as text there does.
  return {setup.exitStatus() == QProcess::NormalExit ? setup.exitCode() : -1,
          QString::fromLocal8Bit(setup.readAll()).replace(u"\r\n"_s, u"\n"_s)};
}

TEST(Unattended, InstallsTheSampleMediumAndUpdatesIt) {
  SetupSandbox sandbox;
  const QString medium = QString::fromLocal8Bit(SAMPLE_MEDIUM_DIR);
  const QString location = sandbox.Path(u"Saltmarch 98"_s);
  Result result = RunSetup(medium, {u"--unattended"_s, u"--location"_s, location});
  ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(result.output.contains(u"Waiting For Disk: 2\n"_s));
  EXPECT_TRUE(result.output.endsWith(u"Setup: Installation Completed Successfully\n"_s));

  EXPECT_EQ(ReadAll(location + u"/sample-game/data/bin/templates.bin"_s),
            SampleGame::TemplatesBin());
  EXPECT_TRUE(QFileInfo(location + u"/backup"_s).isDir());
  EXPECT_TRUE(ReadAll(location + u"/INSTALL.LOG"_s).startsWith("New installation of Saltmarch 98"));
  // The program, joined from its two pieces, runs on the sample game it came with.
  QProcess tool;
  tool.start(location + u"/smarch-units"_s, {u"show"_s, location + u"/sample-game"_s});
  ASSERT_TRUE(tool.waitForFinished(60000));
  EXPECT_EQ(tool.exitCode(), 0);
  EXPECT_TRUE(tool.readAllStandardOutput().contains("Light Infantry"));

  // A second install into the same place is an update.
  QDir(location + u"/backup"_s).removeRecursively();
  result = RunSetup(medium, {u"--unattended"_s, u"--location"_s, location});
  ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(ReadAll(location + u"/INSTALL.LOG"_s).startsWith("Update of Saltmarch 98"));
  EXPECT_FALSE(QFileInfo::exists(location + u"/backup"_s));
}

TEST(Unattended, EveryFailureGivesANonZeroStatus) {
  SetupSandbox sandbox;
  Result result = RunSetup(sandbox.Medium(), {u"--unattended"_s});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(
      u"Error: Unable To Open Install Script File\nInstallation Aborted\n"_s));

  sandbox.WriteScript(ScriptText({u"I:2"_s, u"M:@I\\after"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Insert Disk 2 Into Drive"_s)) << result.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));

  sandbox.WriteScript(ScriptText({u"E:MISSING.TX_>x.txt"_s, u"M:@I\\after"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.output.contains(u"Error: Unable To Open Source File ("_s));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));

  // The update question answers itself with Yes.
  WriteAll(sandbox.Location() + u"/MARK.ER"_s, "x");
  sandbox.WriteScript(ScriptText({u"uM:@I\\updated"_s}));
  result = RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--location"_s, sandbox.Location()});
  EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
  EXPECT_TRUE(QFileInfo(sandbox.Location() + u"/updated"_s).isDir());

  EXPECT_EQ(RunSetup(sandbox.Medium(), {u"--unattended"_s, u"--bogus"_s}).exitCode, 2);
}

TEST(SecondStart, BringsTheFirstToTheFrontAndEnds) {
  SingleInstance first;
  if (!first.Claim()) GTEST_SKIP() << "a setup of this user is running";
  QSignalSpy activated(&first, &SingleInstance::Activate);
  SetupSandbox sandbox;
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  QProcess second;
  second.setWorkingDirectory(sandbox.Medium());
  second.start(QString::fromLocal8Bit(SETUP_EXE), {u"-platform"_s, u"offscreen"_s});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 5000));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location()));
}

}  // namespace
