#pragma once

#include "fixedprograminfo.h"
#include "paths.h"
#include "programinfo.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "testregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A fresh registry, program folder and sample game for every test, and the scripted responder.
class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.ok() && programDir.isValid() && game.ok());
    SetRegAccessor(registry.Fresh());
    program.folder = programDir.path();
    // The default backup folder lies in the user's data folder: a fresh one for every test.
    savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", userDataDir.path().toLocal8Bit());
  }
  void TearDown() override {
    SetRegAccessor(nullptr);
    qputenv("XDG_DATA_HOME", savedDataHome);
  }

  QString DefaultBackupDir() const {
#ifdef _WIN32
    return ProgramFolder() + QStringLiteral("Dune2kBak") + PathSeparator();
#else
    return userDataDir.path() + QStringLiteral("/Saltmarch98/Dune2kBak/");
#endif
  }

  // The machine's registry names the sample game as installed.
  void InstallGameInRegistry(const QString& installPath) {
    ASSERT_TRUE(registry.InstallGame(installPath));
  }

  // A later run: "Setup" is done and the folders are saved.
  void SetLaterRun(const QString& gameFolder, const QString& backupFolder) {
    RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"),
                   QStringLiteral("Completed"));
    RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"), gameFolder);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("BackupLoc"), backupFolder);
  }

  QString Own(const QString& name) {
    return RegReadString(RegRoot::CurrentUser, kOwnKey, name, QStringLiteral("<default>"));
  }

  TestRegistry registry;
  QTemporaryDir programDir;
  FixedProgramInfo program;
  QTemporaryDir userDataDir;
  QByteArray savedDataHome;
  SampleDir game;
  ScriptedDialogs dialogs;
};

inline const QString kErr6 = QStringLiteral(
    "Error #6: You Have Not Entered The Location For Dune2000.EXE Or The Entered Path Is "
    "Invalid.\rDo You Want To Set This Now?");
inline const QString kErr8 = QStringLiteral(
    "Error #8: You Have Not Specified A Folder To Back The Game Files Up To.\rDo You Want To Do "
    "This Now?");
