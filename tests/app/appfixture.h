#pragma once

#include "editortexts.h"
#include "fixedprograminfo.h"
#include "paths.h"
#include "programinfo.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "testregistry.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

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
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, gameFolder);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue, backupFolder);
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

// A later run on the sample game with a backup folder that holds no backup yet, and the
// application object made.
class RunningApp : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    backupDir = programDir.path() + QStringLiteral("/Backups");
    SetLaterRun(game.Folder(), backupDir);
    app = std::make_unique<TSaltmarch>();
    SaltmarchApp = app.get();
  }
  void TearDown() override {
    SaltmarchApp = nullptr;
    app.reset();
    AppFixture::TearDown();
  }
  QString BackupFile() const { return backupDir + QStringLiteral("/templates.bin"); }

  QString backupDir;
  std::unique_ptr<TSaltmarch> app;
};

// A Wine prefix as wineboot leaves it: drive c: and z: in dosdevices, registry files beside.
class FakePrefix {
 public:
  FakePrefix() {
    QDir root(dir_.path());
    root.mkpath(QStringLiteral("drive_c/users/me/Desktop"));
    root.mkpath(QStringLiteral("dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), Path(QStringLiteral("dosdevices/c:")));
    QFile::link(QStringLiteral("/"), Path(QStringLiteral("dosdevices/z:")));
  }
  QString Path(const QString& relative = {}) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
  }
  QString Canonical(const QString& relative) const {
    return QFileInfo(Path(relative)).canonicalFilePath();
  }
  void Write(const QString& name, const QByteArray& text) const { WriteAll(Path(name), text); }
  void Use() const { qputenv("WINEPREFIX", dir_.path().toLocal8Bit()); }

 private:
  QTemporaryDir dir_;
};

// A stand-in for a settings window: registers itself, counts reset messages, and may refuse
// to close.
class TestWindow : public QWidget {
 public:
  explicit TestWindow(QStringList& journal, QString name) : journal_(journal), name_(name) {
    setAttribute(Qt::WA_DeleteOnClose);
    SaltmarchApp->RegisterSettingsWindow(this);
  }
  ~TestWindow() override { SaltmarchApp->UnregisterSettingsWindow(this); }
  bool refuseClose = false;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == WM_RESETUNITS) {
      journal_ << name_ + QStringLiteral(" reset, loaded=") +
                      QString::number(SaltmarchApp->Store->InfantryLoaded);
      return true;
    }
    return QWidget::event(e);
  }
  void closeEvent(QCloseEvent* e) override {
    journal_ << name_ + QStringLiteral(" asked to close");
    if (refuseClose) e->ignore();
  }

 private:
  QStringList& journal_;
  QString name_;
};
