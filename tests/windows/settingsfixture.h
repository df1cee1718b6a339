#pragma once

#include "columnmenu.h"
#include "hintform.h"
#include "infantrywindow.h"
#include "paths.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "spinedit.h"
#include "stringtable.h"
#include "testregistry.h"
#include "vehicleswindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

// The sample game, a fresh registry in which the game was found before, the application
// object, and a frame for the settings windows.
class SettingsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.ok() && game.ok());
    SetRegAccessor(registry.Fresh());
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue, game.Folder());
    app = std::make_unique<TSaltmarch>(&ShowHintForm);
    SaltmarchApp = app.get();
    frame.resize(900, 700);
    frame.show();
  }
  void TearDown() override {
    for (QMdiSubWindow* w : frame.subWindowList()) delete w;
    SaltmarchApp = nullptr;
    app.reset();
    SetRegAccessor(nullptr);
  }

  // Saves show the hint window unless it was switched off.
  void SwitchOffHint() { RegWriteInteger(RegRoot::CurrentUser, kHintsKey, HintValue(1), 0); }
  TUnitTemplate Infantry(int i) const {
    TUnitTemplate u;
    app->Store->GetInfantry(i, u);
    return u;
  }
  TUnitTemplate Vehicle(int i) const {
    TUnitTemplate u;
    app->Store->GetVehicle(i, u);
    return u;
  }
  // Types into a spin edit as a user would: select all, type, and (optionally) leave it.
  static void Type(TSpinEdit* spin, const QString& text) {
    spin->Editor()->selectAll();
    spin->Editor()->insert(text);
  }
  // Chooses the unit menu item with this caption, by clicking it.
  static void ChooseFromMenu(TUnitSettingsWin* w, const QString& caption) {
    w->B_Select->click();
    for (int i = 0; i < w->UnitMenu->Items.size(); ++i) {
      if (w->UnitMenu->Items[i]->Caption == caption) {
        QTest::mouseMove(w->UnitMenu, w->UnitMenu->ItemRect(i).center());
        QTest::mouseClick(w->UnitMenu, Qt::LeftButton, {}, w->UnitMenu->ItemRect(i).center());
        return;
      }
    }
    ADD_FAILURE() << "no menu item " << caption.toStdString();
  }

  TestRegistry registry;
  SampleDir game;
  ScriptedDialogs dialogs;
  std::unique_ptr<TSaltmarch> app;
  QMdiArea frame;
};

inline const QString kSaveQuestion =
    QStringLiteral("Changes Have Been Made, Do You Want Them To Be Saved?");
