#include "hexedit.h"
#include "hintform.h"
#include "settingsfixture.h"

#include <QFile>
#include <QLabel>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>

#include <algorithm>

namespace {

using SettingsWindow = SettingsFixture;

TEST_F(SettingsWindow, ANewWindowShowsUnitOneInNoviceMode) {
  auto* w = new TF_Infs(&frame);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Infantry Settings - [Light Infantry]"));
  EXPECT_EQ(w->CurrentUnit(), 1);
  EXPECT_EQ(w->EditModeValue(), TSaltmarchSettingsWin::emNovice);
  EXPECT_FALSE(w->B_Prev->isEnabled());
  EXPECT_TRUE(w->B_Next->isEnabled());
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("50"));
  EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("110"));
  EXPECT_EQ(w->TB_BuildSpeed->value(), 255 - 200);
  EXPECT_TRUE(w->KB_Atreides->isChecked() && w->KB_Ordos->isChecked() &&
              w->KB_Harkonnen->isChecked());
  // Novice: sliders with their end labels, no spin edits for those rows.
  EXPECT_FALSE(w->SE_Sight->isVisibleTo(w));
  EXPECT_TRUE(w->TB_Sight->isVisibleTo(w));
  EXPECT_TRUE(w->L_SightMin->isVisibleTo(w));
  EXPECT_TRUE(w->SE_Cost->isVisibleTo(w));
  EXPECT_FALSE(w->KB_Imperial->isVisibleTo(w));
  EXPECT_TRUE(w->MnuEditModeNov->isChecked());
  EXPECT_FALSE(w->MnuEditModePwr->isEnabled());
  EXPECT_EQ(w->ClientSize(), QSize(378, 284));
  EXPECT_EQ(w->P_Infs->geometry(), QRect(0, 0, 378, 255));
  EXPECT_EQ(w->TB_BuildSpeed->pageStep(), 10);
  EXPECT_EQ(w->TB_BuildSpeed->tickInterval(), 10);
  EXPECT_EQ(w->TB_ROT->maximum(), 15);
  EXPECT_EQ(w->SE_Sight->MaxValue(), 7);
  EXPECT_EQ(w->Toolbar->objectName(), QStringLiteral("tbInfs"));
  EXPECT_EQ(w->Toolbar->windowTitle(), QStringLiteral("Infantry Toolbar"));
  EXPECT_EQ(app->SettingsWindows.size(), 1u);
  EXPECT_EQ(app->SettingsWindows[0], w);
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(SettingsWindow, TheVehicleWindowHasItsOwnSizeAndRanges) {
  auto* w = new TF_Vehics(&frame);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Vehicle Settings - [Trike]"));
  EXPECT_EQ(w->ClientSize(), QSize(396, 284));
  EXPECT_EQ(w->SE_Armor->MaxValue(), 255);
  EXPECT_EQ(w->TB_Armor->maximum(), 15);
  EXPECT_EQ(w->pbImg->geometry(), QRect(336, 8, 56, 57));
  EXPECT_EQ(w->FPicture->size(), QSize(64, 48));
  EXPECT_EQ(w->Toolbar->objectName(), QStringLiteral("tbVehics"));
}

TEST_F(SettingsWindow, NavigationStopsAtBothEnds) {
  auto* w = new TF_Vehics(&frame);
  ChooseFromMenu(w, QStringLiteral("Unknown Unit #4"));
  EXPECT_EQ(w->CurrentUnit(), 21);
  EXPECT_FALSE(w->B_Next->isEnabled());
  QTest::keyRelease(w->SE_Cost->Editor(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(w->CurrentUnit(), 21);
  // Ctrl+B on release, with other modifiers held too, goes back one unit, once. (The sample's
  // armour of 200 shows as the slider's 15, but looking at it is no change: no question.)
  QTest::keyRelease(w->SE_Cost->Editor(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->CurrentUnit(), 20);
  EXPECT_TRUE(dialogs.log.empty());
  QTest::keyRelease(w->SE_Cost->Editor(), Qt::Key_B);  // no Ctrl: nothing
  EXPECT_EQ(w->CurrentUnit(), 20);
  // From a control that passes the key on to its parents it still counts once.
  QTest::keyRelease(w->KB_SelfHeal, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(w->CurrentUnit(), 19);
  QTest::keyRelease(w->KB_SelfHeal, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(w->CurrentUnit(), 20);
  dialogs.Answer(MsgResult::No);
  w->B_Next->click();
  EXPECT_EQ(w->CurrentUnit(), 21);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Vehicle Settings - [Unknown Unit #4]"));
}

TEST_F(SettingsWindow, SavingWithoutADifferenceDoesNothing) {
  auto* w = new TF_Infs(&frame);
  const TUnitTemplate before = Infantry(1);
  w->B_Save->click();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(Infantry(1), before);
}

TEST_F(SettingsWindow, SavingPutsTheUnitIntoTheStoreAndShowsTheHint) {
  auto* w = new TF_Infs(&frame);
  Type(w->SE_Health, QStringLiteral("150"));
  w->KB_Inaccurate->click();
  QString hint;
  // The hint window comes after the store's message; tick its box this time.
  dialogs.onDialog = [&](const ScriptedDialogs::Record&) {
    QTimer::singleShot(0, [&] {
      auto* form = qobject_cast<TF_HintForm*>(QApplication::activeModalWidget());
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->windowTitle(), QStringLiteral("Saltmarch 98"));
      EXPECT_EQ(form->DontShowAgain->text(), QStringLiteral("Don't Show This Hint Again"));
      hint = form->Hint->text();
      form->DontShowAgain->click();
      form->bOK->click();
    });
  };
  w->B_Save->click();
  EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Light Infantry Saved Successfully")});
  EXPECT_TRUE(hint.startsWith(QStringLiteral("The Unit Has Been Saved To Memory.")));
  const TUnitTemplate saved = Infantry(1);
  EXPECT_EQ(saved.Health, 150);
  EXPECT_TRUE(saved.Inaccurate);
  EXPECT_TRUE(saved.Changed);
  EXPECT_EQ(saved.RawBytes[4], 150);
  EXPECT_FALSE(w->HasChanges());

  // The box was ticked: the next save shows no hint (a hint would wait here for ever).
  dialogs.onDialog = nullptr;
  Type(w->SE_Health, QStringLiteral("151"));
  w->B_Save->click();
  EXPECT_EQ(Infantry(1).Health, 151);
}

TEST_F(SettingsWindow, AltSSaves) {
  SwitchOffHint();
  auto* w = new TF_Infs(&frame);
  QApplication::setActiveWindow(&frame);
  w->SE_Cost->Editor()->setFocus();
  Type(w->SE_Cost, QStringLiteral("77"));
  QTest::keyClick(w->SE_Cost->Editor(), Qt::Key_S, Qt::AltModifier);
  // A button's accelerator presses it the way a click does, after a short moment.
  EXPECT_TRUE(QTest::qWaitFor([&] { return Infantry(1).Cost == 77; }));
  EXPECT_FALSE(w->UnitMenu->isVisible());

  // From a control that passes the key on to the window, too.
  const bool inaccurate = Infantry(1).Inaccurate;
  w->KB_Inaccurate->click();
  QTest::keyClick(w->KB_Inaccurate, Qt::Key_S, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Infantry(1).Inaccurate != inaccurate; }));
}

TEST_F(SettingsWindow, OnlyNumbersTheFieldTakesAreSaved) {
  SwitchOffHint();
  auto* w = new TF_Infs(&frame);
  QApplication::setActiveWindow(&frame);
  w->SE_Cost->Editor()->setFocus();
  QTest::keyClick(w->SE_Cost->Editor(), Qt::Key_End);
  QTest::keyClick(w->SE_Cost->Editor(), Qt::Key_Y, Qt::AltModifier);
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("50"));
  w->B_Save->click();
  EXPECT_EQ(Infantry(1).Cost, 50);

  // What can still be left in a field (nothing, a lone sign, a number beyond the range) is
  // refused with a reason, and the unit keeps its values.
  Type(w->SE_Cost, QString());
  w->B_Save->click();
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral("The Value Entered For Cost Is Not A Whole Number From "
                                       "-2147483648 To 2147483647. The Unit Has Not Been Saved.")});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  EXPECT_EQ(Infantry(1).Cost, 50);
  EXPECT_FALSE(Infantry(1).Changed);
  Type(w->SE_Cost, QStringLiteral("60"));
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  Type(w->SE_ROT, QStringLiteral("300"));  // the slider takes the first to its end
  Type(w->SE_ROT, QStringLiteral("300"));
  dialogs.Clear();
  w->B_Save->click();
  EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral(
                                 "The Value Entered For Rate Of Turn Is Not A Whole Number From 0 "
                                 "To 255. The Unit Has Not Been Saved.")});
  EXPECT_EQ(Infantry(1).Cost, 50);

  // Answering Yes to the question on leaving cannot save it either: the user stays to fix it.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  w->B_Next->click();
  EXPECT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(w->CurrentUnit(), 1);
  Type(w->SE_ROT, QStringLiteral("9"));
  w->B_Save->click();
  EXPECT_EQ(Infantry(1).Cost, 60);
  EXPECT_EQ(Infantry(1).RateOfTurn, 9);
}

TEST_F(SettingsWindow, TypingTheShownValueSavesIt) {
  SwitchOffHint();
  // Unknown Unit #3 stores 40, shown as the slider's 15; the user means 15.
  auto* w = new TF_Vehics(&frame);
  ChooseFromMenu(w, QStringLiteral("Unknown Unit #3"));
  ASSERT_EQ(Vehicle(20).RateOfTurn, 40);
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  Type(w->SE_ROT, QStringLiteral("14"));
  Type(w->SE_ROT, QStringLiteral("15"));
  EXPECT_TRUE(w->HasChanges());
  w->B_Save->click();
  EXPECT_EQ(Vehicle(20).RateOfTurn, 15);
  EXPECT_TRUE(Vehicle(20).Changed);
  EXPECT_FALSE(w->HasChanges());
}

TEST_F(SettingsWindow, LeavingAnEditedUnitAsksFirst) {
  SwitchOffHint();
  auto* w = new TF_Infs(&frame);
  Type(w->SE_Cost, QStringLiteral("999"));

  dialogs.Answer(MsgResult::Cancel);
  w->B_Next->click();
  EXPECT_EQ(dialogs.Texts(), QStringList{kSaveQuestion});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));
  EXPECT_EQ(w->CurrentUnit(), 1);
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("999"));

  dialogs.Answer(MsgResult::No);
  w->B_Next->click();
  EXPECT_EQ(w->CurrentUnit(), 2);
  EXPECT_EQ(Infantry(1).Cost, 50);
  w->B_Prev->click();
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("50"));

  Type(w->SE_Cost, QStringLiteral("888"));
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  w->B_Next->click();
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kSaveQuestion, QStringLiteral("Light Infantry Saved Successfully")}));
  EXPECT_EQ(Infantry(1).Cost, 888);
  EXPECT_EQ(w->CurrentUnit(), 2);
}

TEST_F(SettingsWindow, ChoosingTheShownUnitAfterSavingShowsTheSavedValues) {
  SwitchOffHint();
  auto* w = new TF_Infs(&frame);
  Type(w->SE_Cost, QStringLiteral("321"));
  dialogs.Answer(MsgResult::Yes);
  ChooseFromMenu(w, QStringLiteral("Light Infantry"));
  EXPECT_EQ(Infantry(1).Cost, 321);
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("321"));
  EXPECT_FALSE(w->HasChanges());
}

TEST_F(SettingsWindow, ClosingAnEditedWindowAsksFirst) {
  auto* w = new TF_Infs(&frame);
  QPointer<TF_Infs> alive(w);
  Type(w->SE_Health, QStringLiteral("5"));
  dialogs.Answer(MsgResult::Cancel);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(alive);
  EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("5"));

  dialogs.Answer(MsgResult::No);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(alive);
  EXPECT_EQ(app->SettingsWindows[0], nullptr);  // unregistered on destruction
  EXPECT_EQ(Infantry(1).Health, 110);
}

TEST_F(SettingsWindow, AResetDropsEditsWithoutAsking) {
  auto* w = new TF_Vehics(&frame);
  w->B_Next->click();
  Type(w->SE_Cost, QStringLiteral("12345"));
  // The file changes underneath, then the settings in memory are reset.
  QByteArray bytes = game.TemplatesBytes();
  bytes[0x0600 + 28] = char(0x39);  // Raider's cost: 0x139 = 313
  bytes[0x0600 + 29] = char(0x01);
  game.WriteTemplates(bytes);
  app->ResetSettingsInMemory();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(w->CurrentUnit(), 2);
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("313"));
}

TEST_F(SettingsWindow, UnitsThatCannotBeReadOpenNothingToEdit) {
  QFile::remove(game.TemplatesPath());
  QPointer<TF_Infs> w(new TF_Infs(&frame));
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_TRUE(dialogs.log[0].text.startsWith(QStringLiteral("Error #2")));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(w);
  EXPECT_TRUE(frame.subWindowList().isEmpty());
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
}

TEST_F(SettingsWindow, AReloadThatFailsLeavesNothingToSave) {
  const QByteArray bytes = game.TemplatesBytes();
  auto* w = new TF_Infs(&frame);
  QFile::remove(game.TemplatesPath());
  app->ResetSettingsInMemory();
  EXPECT_FALSE(w->Client->isEnabled());
  EXPECT_FALSE(w->B_Save->isEnabled());
  EXPECT_FALSE(w->B_Next->isEnabled());
  w->SE_Health->SetValue(5);
  EXPECT_FALSE(w->HasChanges());
  w->B_SaveClick();
  EXPECT_FALSE(app->Store->HasUnappliedChanges());

  // The file back, the window is the unit's again.
  game.WriteTemplates(bytes);
  dialogs.Clear();
  app->ResetSettingsInMemory();
  EXPECT_TRUE(w->Client->isEnabled());
  EXPECT_TRUE(w->B_Save->isEnabled());
  EXPECT_TRUE(w->B_Next->isEnabled());
  EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("110"));
}

TEST_F(SettingsWindow, AWrongGameFolderAndBackLeavesTheGamesOwnUnit) {
  auto* w = new TF_Infs(&frame);
  const QByteArray before = game.TemplatesBytes();
  const QString folder = app->GameFolder;
  // A folder with the game's program but without its units.
  QTemporaryDir wrong;
  ASSERT_TRUE(QFile(wrong.filePath(QStringLiteral("Dune2000.exe"))).open(QIODevice::WriteOnly));
  app->SetGameFolder(wrong.path());
  ASSERT_FALSE(dialogs.log.empty());
  EXPECT_TRUE(dialogs.log.back().text.startsWith(QStringLiteral("Error #2")));
  EXPECT_FALSE(w->B_Save->isEnabled());

  dialogs.Clear();
  app->SetGameFolder(folder);
  EXPECT_TRUE(w->B_Save->isEnabled());
  EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("110"));
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
  // Nothing to apply, and nothing claimed to have been changed by another program.
  app->Store->ApplyChanges();
  EXPECT_EQ(game.TemplatesBytes(), before);
  EXPECT_TRUE(dialogs.log.empty() ||
              !dialogs.log.back().text.contains(QStringLiteral("Another Program")));
}

TEST_F(SettingsWindow, AStoredValueBeyondTheSliderShowsAtItsEndButIsKeptUntilTouched) {
  SwitchOffHint();
  // Unknown Unit #3 turns at 40 in the sample game, beyond the slider's 0..15.
  auto* w = new TF_Vehics(&frame);
  ChooseFromMenu(w, QStringLiteral("Unknown Unit #3"));
  EXPECT_EQ(w->TB_ROT->value(), 15);
  EXPECT_EQ(w->SE_ROT->Text(), QStringLiteral("15"));
  // Merely looking is no change: no question on leaving, and a save keeps 40.
  EXPECT_FALSE(w->HasChanges());
  const std::int32_t oldCost = Vehicle(20).Cost;
  Type(w->SE_Cost, QStringLiteral("999"));
  w->B_Save->click();
  EXPECT_EQ(Vehicle(20).Cost, 999);
  EXPECT_EQ(Vehicle(20).RateOfTurn, 40);
  // The old cost typed back after the save is a change again.
  Type(w->SE_Cost, QString::number(oldCost));
  EXPECT_TRUE(w->HasChanges());
  w->B_Save->click();
  EXPECT_EQ(Vehicle(20).Cost, oldCost);

  // When the slider already stands at its end, the stored value shows.
  TUnitTemplate u = Vehicle(19);
  u.RateOfTurn = 15;
  app->Store->PutVehicle(19, u);
  dialogs.Clear();
  w->B_Prev->click();
  ASSERT_EQ(w->TB_ROT->value(), 15);
  w->B_Next->click();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(w->SE_ROT->Text(), QStringLiteral("40"));
  EXPECT_FALSE(w->HasChanges());

  // A slider the user moves is read back.
  w->TB_ROT->setValue(14);
  EXPECT_TRUE(w->HasChanges());
  w->B_Save->click();
  EXPECT_EQ(Vehicle(20).RateOfTurn, 14);
}

TEST_F(SettingsWindow, TypingAboveTheSliderMovesItAndMayBeReplaced) {
  auto* w = new TF_Infs(&frame);
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  ASSERT_EQ(w->TB_ROT->value(), 6);
  Type(w->SE_ROT, QStringLiteral("200"));
  EXPECT_EQ(w->TB_ROT->value(), 15);
  EXPECT_EQ(w->SE_ROT->Text(), QStringLiteral("15"));  // the slider moved: its maximum wins
  Type(w->SE_ROT, QStringLiteral("200"));
  EXPECT_EQ(w->SE_ROT->Text(), QStringLiteral("200"));  // it stood at its end already
  // Beyond the spin edit's own range: kept while typing, clamped when the field is left, and
  // never handed to the record as more than a byte.
  Type(w->SE_ROT, QStringLiteral("300"));
  TUnitTemplate read;
  w->ReadControls(read);
  EXPECT_EQ(read.RateOfTurn, 255);
  w->SE_ROT->Editor()->setFocus();
  w->SE_Cost->Editor()->setFocus();
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(w->SE_ROT->Editor(), &out);
  EXPECT_EQ(w->SE_ROT->Text(), QStringLiteral("255"));
}

TEST_F(SettingsWindow, BuildSpeedRunsFromFastOnTheLeft) {
  auto* w = new TF_Infs(&frame);
  w->SE_BuildSpeed->SetValue(200);
  EXPECT_EQ(w->TB_BuildSpeed->value(), 55);
  w->TB_BuildSpeed->setValue(10);
  EXPECT_EQ(w->SE_BuildSpeed->Text(), QStringLiteral("245"));
  // Firing speed runs the plain way.
  w->TB_FireSpeed->setValue(30);
  EXPECT_EQ(w->SE_FireSpeed->Text(), QStringLiteral("30"));
  w->SE_FireSpeed->SetValue(99);
  EXPECT_EQ(w->TB_FireSpeed->value(), 99);
}

// Where a slider's handle is now, and the tooltip shown now, if any.
QPoint Handle(QSlider* slider) {
  const int length = slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider);
  return QPoint(QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(),
                                                slider->value(), slider->width() - length) +
                    length / 2,
                slider->height() / 2);
}
QWidget* ShownTip() {
  const QWidgetList all = QApplication::topLevelWidgets();
  const auto tip = std::find_if(all.begin(), all.end(), [](QWidget* w) {
    return w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible();
  });
  return tip == all.end() ? nullptr : *tip;
}

TEST_F(SettingsWindow, ANoviceSliderShowsTheValueWhileMovedAndInItsTooltip) {
  QApplication::setActiveWindow(&frame);
  auto* w = new TF_Infs(&frame);
  QSlider* slider = w->TB_BuildSpeed;
  const QString hint = QStringLiteral("The Rate At Which The Unit Is Built\n");
  EXPECT_EQ(slider->toolTip(),
            hint + QStringLiteral("Build Speed: %1").arg(Infantry(1).BuildSpeed));

  // Dragged to its left end, "Fast": the number beside the handle is the one stored, 255.
  const QPoint start = Handle(slider);
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  QTest::mouseMove(slider, QPoint(0, start.y()));
  QWidget* tip = ShownTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("255"));
  const int leftTip = tip->x();
  QTest::mouseMove(slider, QPoint(slider->width() - 1, start.y()));
  EXPECT_EQ(QToolTip::text(), QStringLiteral("0"));
  EXPECT_GT(ShownTip()->x(), leftTip + slider->width() / 2);  // it follows the handle
  QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, start.y()));
  EXPECT_EQ(w->SE_BuildSpeed->Text(), QStringLiteral("0"));
  EXPECT_EQ(slider->toolTip(), hint + QStringLiteral("Build Speed: 0"));

  // The keys show it too.
  w->TB_Sight->setFocus();
  const int sight = w->SE_Sight->Value();
  QTest::keyClick(w->TB_Sight, sight > 0 ? Qt::Key_Left : Qt::Key_Right);
  EXPECT_NE(w->SE_Sight->Value(), sight);
  EXPECT_EQ(QToolTip::text(), w->SE_Sight->Text());
}

TEST_F(SettingsWindow, SelectUnitShowsNoDeadAccessKeyAndOpensFromTheKeys) {
  QApplication::setActiveWindow(&frame);
  auto* w = new TF_Infs(&frame);
  // Alt+S is Save's; Select Unit answers Space once Tab has reached it.
  EXPECT_TRUE(QKeySequence::mnemonic(w->B_Select->text()).isEmpty());
  EXPECT_EQ(QKeySequence::mnemonic(w->B_Save->text()), QKeySequence(Qt::ALT | Qt::Key_S));
  w->B_Save->setFocus();
  QTest::keyClick(w->B_Save, Qt::Key_Tab);  // past "<-", which unit 1 has not
  ASSERT_EQ(QApplication::focusWidget(), w->B_Select);
  QTest::keyClick(w->B_Select, Qt::Key_Space);
  ASSERT_TRUE(w->UnitMenu->isVisible());
  QTest::keyClick(w->UnitMenu, Qt::Key_Down);
  QTest::keyClick(w->UnitMenu, Qt::Key_Down);
  const int chosen = w->UnitMenu->Items[w->UnitMenu->Highlighted()]->Tag;
  ASSERT_NE(chosen, 1);
  QTest::keyClick(w->UnitMenu, Qt::Key_Return);
  EXPECT_FALSE(w->UnitMenu->isVisible());
  EXPECT_EQ(w->CurrentUnit(), chosen);
}

TEST_F(SettingsWindow, InfantrySightAndArmourAboveSevenShowAsSeven) {
  SwitchOffHint();
  TUnitTemplate u = Infantry(1);
  app->Store->LoadInfantry();
  u = Infantry(1);
  u.Sight = 9;
  app->Store->PutInfantry(1, u);
  auto* w = new TF_Infs(&frame);
  EXPECT_EQ(w->SE_Sight->Text(), QStringLiteral("7"));
  EXPECT_FALSE(w->HasChanges());
  w->B_Save->click();
  EXPECT_EQ(Infantry(1).Sight, 9);
  // The spin edit takes no more than the command line would.
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  EXPECT_EQ(w->SE_Sight->MaxValue(), 7);
  EXPECT_EQ(w->SE_Armor->MaxValue(), 7);
  Type(w->SE_Sight, QStringLiteral("5"));
  w->B_Save->click();
  EXPECT_EQ(Infantry(1).Sight, 5);
}

TEST_F(SettingsWindow, OwnersRoundTripAndTheEmperorIsNeverRead) {
  SwitchOffHint();
  app->Store->LoadInfantry();
  TUnitTemplate u = Infantry(3);  // Fremen: Atreides only in the sample
  u.Owners = (1u << hAtreides) | (1u << hHarkonnen);
  app->Store->PutInfantry(3, u);
  auto* w = new TF_Infs(&frame);
  ChooseFromMenu(w, QStringLiteral("Fremen"));
  EXPECT_TRUE(w->KB_Atreides->isChecked());
  EXPECT_FALSE(w->KB_Ordos->isChecked());
  EXPECT_TRUE(w->KB_Harkonnen->isChecked());
  EXPECT_FALSE(w->HasChanges());
  w->KB_Imperial->setChecked(true);
  EXPECT_FALSE(w->HasChanges());
  w->KB_Ordos->click();
  w->B_Save->click();
  EXPECT_EQ(Infantry(3).Owners, 7);
}

TEST_F(SettingsWindow, SwitchingModesChangesNoValue) {
  auto* w = new TF_Vehics(&frame);
  Type(w->SE_Health, QStringLiteral("4242"));
  const QString rot = w->SE_ROT->Text();
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  EXPECT_TRUE(w->SE_ROT->isVisibleTo(w));
  EXPECT_FALSE(w->TB_ROT->isVisibleTo(w));
  EXPECT_FALSE(w->L_ROTFast->isVisibleTo(w));
  EXPECT_TRUE(w->MnuEditModeAdv->isChecked());
  EXPECT_FALSE(w->MnuEditModeNov->isChecked());
  w->MnuEditModeNov->trigger();
  EXPECT_EQ(w->EditModeValue(), TSaltmarchSettingsWin::emNovice);
  EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("4242"));
  EXPECT_EQ(w->SE_ROT->Text(), rot);
  EXPECT_TRUE(w->HasChanges());
}

TEST_F(SettingsWindow, ASaveInOneWindowIsShownInAnother) {
  SwitchOffHint();
  auto* first = new TF_Infs(&frame);
  auto* second = new TF_Infs(&frame);
  EXPECT_EQ(frame.subWindowList().size(), 2);
  Type(first->SE_Cost, QStringLiteral("61"));
  first->B_Save->click();
  EXPECT_EQ(second->SE_Cost->Text(), QStringLiteral("61"));
  // The second window's untouched controls don't undo the first window's save.
  EXPECT_FALSE(second->HasChanges());
  Type(second->SE_Health, QStringLiteral("77"));
  second->B_Save->click();
  EXPECT_EQ(Infantry(1).Cost, 61);
  EXPECT_EQ(Infantry(1).Health, 77);
  EXPECT_EQ(first->SE_Health->Text(), QStringLiteral("77"));
}

TEST_F(SettingsWindow, AnEditNotYetSavedStaysTheUsersUntilItsSave) {
  SwitchOffHint();
  auto* first = new TF_Infs(&frame);
  auto* second = new TF_Infs(&frame);
  Type(second->SE_Health, QStringLiteral("88"));
  Type(first->SE_Cost, QStringLiteral("62"));
  first->B_Save->click();
  // The field the user typed in stays theirs; the others follow the save at once.
  EXPECT_EQ(second->SE_Health->Text(), QStringLiteral("88"));
  EXPECT_EQ(second->SE_Cost->Text(), QStringLiteral("62"));
  second->B_Save->click();
  // After each save both windows show what the store holds.
  EXPECT_EQ(Infantry(1).Cost, 62);
  EXPECT_EQ(Infantry(1).Health, 88);
  for (TF_Infs* w : {first, second}) {
    EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("62"));
    EXPECT_EQ(w->SE_Health->Text(), QStringLiteral("88"));
    EXPECT_FALSE(w->HasChanges());
  }
}

TEST_F(SettingsWindow, TheRawViewFollowsASaveInAnotherWindow) {
  SwitchOffHint();
  auto* editor = new TF_Infs(&frame);
  auto* raw = new TF_Infs(&frame);
  raw->SetEditMode(TSaltmarchSettingsWin::emPowerUser);
  ASSERT_NE(raw->RawView(), nullptr);
  Type(editor->SE_Health, QStringLiteral("1234"));
  editor->B_Save->click();
  const auto& bytes = app->Store->Infantry[1].RawBytes;
  ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), raw->RawView()->LocalBytes.begin()));
}

TEST_F(SettingsWindow, PowerUserModeEmbedsTheRawViewAndGivesTheSizeBack) {
  auto* w = new TF_Vehics(&frame);
  w->B_Next->click();
  w->SetEditMode(TSaltmarchSettingsWin::emPowerUser);
  ASSERT_NE(w->RawView(), nullptr);
  EXPECT_EQ(w->Tag(), 1);
  EXPECT_FALSE(w->P_Infs->isVisibleTo(w));
  EXPECT_EQ(w->ClientSize(), QSize(589, 314 + 26));
  EXPECT_TRUE(w->MnuEditModePwr->isChecked());
  // It shows the raw bytes of the unit that was current: the Raider's.
  EXPECT_EQ(w->RawView()->CellText(0, 2),
            QStringLiteral("%1").arg(Vehicle(2).RawBytes[2], 2, 16, QChar(u'0')));
  w->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  EXPECT_EQ(w->RawView(), nullptr);
  EXPECT_EQ(w->Tag(), 0);
  EXPECT_EQ(w->ClientSize(), QSize(396, 284));
  EXPECT_TRUE(w->P_Infs->isVisibleTo(w));
}

TEST_F(SettingsWindow, AFloatingToolbarKeepsThePanelsSize) {
  auto* w = new TF_Infs(&frame);
  w->Toolbar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);  // floating, as when dragged out
  emit w->Toolbar->topLevelChanged(true);
  EXPECT_EQ(w->ClientSize(), QSize(378, 255));
}

}  // namespace
