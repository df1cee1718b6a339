#pragma once

#include "fixedprograminfo.h"
#include "infantrywindow.h"
#include "mainwindow.h"
#include "recordingshell.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "spinedit.h"
#include "testregistry.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The editor's frame on a copy of the sample game, with its own registry, program folder and
// user data folder, and scripted answers to every question.
class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.ok() && programDir.isValid() && game.ok());
    SetRegAccessor(registry.Fresh());
    program.folder = programDir.path();
    backupDir = programDir.path() + QStringLiteral("/backup");
    // A first start makes its backup in the user's data folder: a fresh one for every test.
    savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", userDataDir.path().toLocal8Bit());
  }
  void TearDown() override {
    frame.reset();
    qputenv("XDG_DATA_HOME", savedDataHome);
    SetRegAccessor(nullptr);
  }

  void LaterRun(const QString& gameFolder) {
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, gameFolder);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, backupDir);
    RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 0);
  }
  void Open() {
    frame = std::make_unique<TF_Main>();
    frame->show();
  }
  // An edited, saved, not yet applied Light Infantry.
  void ChangeInMemory() {
    SaltmarchApp->Store->LoadInfantry();
    TUnitTemplate u;
    SaltmarchApp->Store->GetInfantry(1, u);
    u.Health = 4321;
    SaltmarchApp->Store->PutInfantry(1, u);
    SaltmarchApp->Store->CommitInfantry(1);
    dialogs.Clear();
  }
  // Opens another infantry window from the frame.
  TF_Infs* OpenInfantry() {
    frame->A_Infantry->trigger();
    return qobject_cast<TF_Infs*>(frame->MdiArea()->subWindowList().last());
  }
  static void Type(TSpinEdit* spin, const QString& text) {
    spin->Editor()->selectAll();
    spin->Editor()->insert(text);
  }
  // Opens an infantry window through the menu and types a health into it, not yet saved.
  TF_Infs* TypeHealthInNewInfantryWindow(const QString& health) {
    TF_Infs* w = OpenInfantry();
    Type(w->SE_Health, health);
    return w;
  }
  void MakeBackup() {
    ASSERT_TRUE(SaltmarchApp->BackupGameFile());
    dialogs.Clear();
  }
  QString Own(const QString& name) {
    return RegReadString(RegRoot::CurrentUser, kOwnKey, name, QStringLiteral("<none>"));
  }

  TestRegistry registry;
  QTemporaryDir programDir;
  FixedProgramInfo program;
  QTemporaryDir userDataDir;
  QByteArray savedDataHome;
  QString backupDir;
  SampleDir game;
  ScriptedDialogs dialogs;
  RecordingShell shell;
  std::unique_ptr<TF_Main> frame;
};
