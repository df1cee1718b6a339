#include "aboutfrm.h"
#include "commands.h"
#include "editortexts.h"
#include "fixedprograminfo.h"
#include "framefixture.h"
#include "hintform.h"
#include "infantrywindow.h"
#include "mainwindow.h"
#include "modtext.h"
#include "paths.h"
#include "prefs.h"
#include "programinfo.h"
#include "recordingshell.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "sampledir.h"
#include "scripteddialogs.h"
#include "shell.h"
#include "spinedit.h"
#include "testregistry.h"
#include "vehicleswindow.h"
#include "webpage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include <gtest/gtest.h>

namespace {

TEST_F(MainWindow, FirstStartAsksAboutTheBackupBeforeAnythingShows) {
  ASSERT_TRUE(registry.InstallGame(game.Folder() + QStringLiteral("Dune2000.exe")));
  bool frameVisibleDuringQuestion = true;
  dialogs.onDialog = [&](const ScriptedDialogs::Record&) {
    frameVisibleDuringQuestion = frame && frame->isVisible();
  };
  dialogs.Answer(MsgResult::Yes);
  frame = std::make_unique<TF_Main>();
  EXPECT_FALSE(frameVisibleDuringQuestion);
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_TRUE(dialogs.log[0].text.startsWith(
      QStringLiteral("Saltmarch 98 : Glass Horizon (\u00DF 1.2) Will Make Changes")));
  EXPECT_EQ(dialogs.log[1].text, QStringLiteral("Backup Was Successful"));
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Saltmarch 98 : Glass Horizon (\u00DF 1.2)"));
  EXPECT_EQ(frame->StatusPanel(1)->text(), QStringLiteral("v 1.2.0.98"));
  EXPECT_EQ(SaltmarchApp->GameFolder, game.Folder());
  EXPECT_EQ(frame->size(), QSize(654, 363));
}

TEST_F(MainWindow, AMissingGameFolderIsAskedForAtStart) {
  LaterRun(programDir.path() + QStringLiteral("/gone/"));
  dialogs.Answer(MsgResult::No);
  Open();
  EXPECT_EQ(dialogs.Texts(), QStringList{kErr6});
  EXPECT_TRUE(SaltmarchApp->GameFolder.isEmpty());
}

TEST_F(MainWindow, OldCommonControlsAreReportedOnlyBelow471) {
  LaterRun(game.Folder());
  program.commonControls = 0x00040047;
  Open();
  EXPECT_TRUE(dialogs.log.empty());
  frame.reset();

  program.commonControls = 0x00040046;
  dialogs.Answer(MsgResult::Yes);
  Open();
  EXPECT_EQ(dialogs.Texts(), QStringList{kErr10});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Warning);
  ASSERT_EQ(shell.opened.size(), 1);
  EXPECT_TRUE(shell.opened[0].startsWith(QStringLiteral("http")));
}

TEST_F(MainWindow, TheVersionPanelShowsTheVersionBlocksFailures) {
  LaterRun(game.Folder());
  const VersionBlock missing{false, false, QString()};
  program.version = missing;
  Open();
  EXPECT_EQ(frame->StatusPanel(1)->text(), QStringLiteral("v < No Data Available >"));
  frame.reset();
  const VersionBlock unreadable{true, false, QString()};
  program.version = unreadable;
  EXPECT_EQ(FileVersionText(), QStringLiteral("Error retrieving version info"));
  const VersionBlock empty{true, true, QString()};
  program.version = empty;
  EXPECT_EQ(FileVersionText(), QStringLiteral("No Version Info"));
}

TEST_F(MainWindow, ApplyWithoutBackupNoThenOkWrites) {
  LaterRun(game.Folder());
  Open();
  ChangeInMemory();
  dialogs.Answer(MsgResult::No).Answer(MsgResult::OK);
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kNoBackup, kAreYouSure, QStringLiteral("Changes Have Been Applied")}));
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbOK | mbCancel));
  EXPECT_EQ(quint8(game.TemplatesBytes()[4]), 4321 & 0xFF);
}

TEST_F(MainWindow, ApplyWithoutBackupNoThenCancelWritesNothing) {
  LaterRun(game.Folder());
  Open();
  ChangeInMemory();
  const QByteArray before = game.TemplatesBytes();
  dialogs.Answer(MsgResult::No).Answer(MsgResult::Cancel);
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts(), (QStringList{kNoBackup, kAreYouSure}));
  EXPECT_EQ(game.TemplatesBytes(), before);
  dialogs.Clear();
  dialogs.Answer(MsgResult::Cancel);
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{kNoBackup});
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(MainWindow, ApplyAfterAFailedBackupWritesNothing) {
  LaterRun(game.Folder());
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue,
                 programDir.path() + QStringLiteral("/no/parent"));
  Open();
  ChangeInMemory();
  const QByteArray before = game.TemplatesBytes();
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::Abort);
  frame->A_Commit->trigger();
  ASSERT_EQ(dialogs.log.size(), 3u);
  EXPECT_TRUE(dialogs.log[1].text.startsWith(QStringLiteral("Error #7 : ")));
  EXPECT_EQ(dialogs.log[2].text, kBackupFailed);
  EXPECT_EQ(dialogs.log[2].kind, MsgKind::Warning);
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(MainWindow, ApplyWithoutAGameFolderAsksAndDoesNotApply) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  ChangeInMemory();
  SaltmarchApp->SetGameFolder(QString());
  const QByteArray before = game.TemplatesBytes();
  dialogs.Answer(MsgResult::Yes).BrowseChooses(game.Path(QString()));
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts(), (QStringList{kErr6, QStringLiteral("Find Dune2000.EXE")}));
  EXPECT_EQ(SaltmarchApp->GameFolder, game.Folder());
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(MainWindow, RunOffersToApplyAndStartsTheGameWhatever) {
  LaterRun(game.Folder());
  Open();
  ChangeInMemory();
  const QByteArray before = game.TemplatesBytes();
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::Cancel);
  frame->A_Run->trigger();
  EXPECT_EQ(dialogs.Texts(), (QStringList{kRunQuestion, kNoBackup}));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(game.TemplatesBytes(), before);
  EXPECT_EQ(shell.opened, QStringList{game.Folder() + NativeText(u"\\Dune2000.exe")});

  // Cancel at the first question starts nothing.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Cancel);
  frame->A_Run->trigger();
  EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(MainWindow, RunWithNothingUnappliedAsksNothing) {
  LaterRun(game.Folder());
  Open();
  frame->A_Run->trigger();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(shell.opened.size(), 1);
  SaltmarchApp->SetGameFolder(QString());
  dialogs.Answer(MsgResult::No);
  frame->A_Run->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{kErr6});
  EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(MainWindow, EachInfantryCommandOpensAnotherWindow) {
  LaterRun(game.Folder());
  Open();
  frame->findChild<QToolButton*>(QStringLiteral("B_Infantry"))->click();
  frame->A_Infantry->trigger();
  frame->findChild<QToolButton*>(QStringLiteral("ToolButton2"))->click();
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 3);
  EXPECT_EQ(SaltmarchApp->SettingsWindows.size(), 3u);
}

TEST_F(MainWindow, ARefusedWindowKeepsTheFrameOpenAndTheRegistryUntouched) {
  LaterRun(game.Folder());
  Open();
  frame->A_Infantry->trigger();
  auto* w = qobject_cast<TF_Infs*>(frame->MdiArea()->subWindowList().first());
  ASSERT_NE(w, nullptr);
  w->SE_Health->SetValue(1);
  SaltmarchApp->SetBackupFolder(programDir.path() + QStringLiteral("/moved"));
  dialogs.Answer(MsgResult::Cancel);
  EXPECT_FALSE(frame->close());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(Own(kBackupFolderValue), backupDir);
  ASSERT_NE(SaltmarchApp, nullptr);

  // Answered No: the window goes, the folders are saved and the application object freed.
  dialogs.Answer(MsgResult::No);
  frame->A_Exit->trigger();
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(SaltmarchApp, nullptr);
  EXPECT_EQ(Own(kBackupFolderValue),
            programDir.path() + QStringLiteral("/moved") + PathSeparator());
}

TEST_F(MainWindow, HintsGoToTheFirstStatusPanel) {
  LaterRun(game.Folder());
  Open();
  auto* button = frame->findChild<QToolButton*>(QStringLiteral("B_Apply"));
  QStatusTipEvent tip(button->statusTip());
  QApplication::sendEvent(button, &tip);
  EXPECT_EQ(frame->StatusPanel(0)->text(),
            QStringLiteral("Save The Edits You Have Made To Dune2000"));
  QStatusTipEvent none{QString()};
  QApplication::sendEvent(button, &none);
  EXPECT_EQ(frame->StatusPanel(0)->text(), QString());
  // A click clears the hint, wherever it lands.
  QApplication::sendEvent(button, &tip);
  QTest::mouseClick(frame->MdiArea()->viewport(), Qt::LeftButton);
  EXPECT_EQ(frame->StatusPanel(0)->text(), QString());
  // Panel 0 is at most as wide as the client area less 80, and less where panel 1 needs more
  // room to show the version whole; it never reaches over panel 1.
  for (int width : {1000, 654, 300}) {
    frame->resize(width, 400);
    QCoreApplication::processEvents();
    QLabel* version = frame->StatusPanel(1);
    EXPECT_LE(frame->StatusPanel(0)->width(), width - 80);
    EXPECT_LT(frame->StatusPanel(0)->geometry().right(), version->geometry().left()) << width;
    EXPECT_GE(version->contentsRect().width(),
              version->fontMetrics().horizontalAdvance(version->text()))
        << width;
  }
}

TEST_F(MainWindow, TheActionsAreAsDesigned) {
  LaterRun(game.Folder());
  Open();
  for (QAction* a : {frame->A_New, frame->A_Open, frame->A_Save, frame->A_SaveAs}) {
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  }
  EXPECT_EQ(frame->A_Commit->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  EXPECT_EQ(frame->A_Run->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
  EXPECT_EQ(frame->findChild<QAction*>(QStringLiteral("MnuSetsInf"))->text(),
            QStringLiteral("&Infantry..."));
  EXPECT_FALSE(frame->findChild<QAction*>(QStringLiteral("MnuProjNew"))->isEnabled());
  EXPECT_EQ(frame->findChild<QToolButton*>(QStringLiteral("B_RunDune2k"))->text(),
            QStringLiteral("Run Dune2000"));
  EXPECT_EQ(frame->findChild<QToolButton*>(QStringLiteral("bProject"))->text(),
            QStringLiteral("&Project"));
}

TEST_F(MainWindow, AltSSavesTheSettingsWindowNotTheFramesMenu) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  frame->A_Infantry->trigger();
  auto* w = qobject_cast<TF_Infs*>(frame->MdiArea()->subWindowList().first());
  w->SE_Cost->Editor()->setFocus();
  w->SE_Cost->Editor()->selectAll();
  w->SE_Cost->Editor()->insert(QStringLiteral("77"));
  QTest::keyClick(w->SE_Cost->Editor(), Qt::Key_S, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.log.empty(); }));
  EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Light Infantry Saved Successfully")});
  TUnitTemplate u;
  SaltmarchApp->Store->GetInfantry(1, u);
  EXPECT_EQ(u.Cost, 77);
}

TEST_F(MainWindow, TheFeedbackCommandAsksTheProgramForTheForm) {
  LaterRun(game.Folder());
  Open();
  QSignalSpy requested(frame.get(), &TF_Main::FeedbackRequested);
  frame->findChild<QAction*>(QStringLiteral("SendFeedbackToPWS1"))->trigger();
  EXPECT_EQ(requested.count(), 1);
}

TEST_F(MainWindow, WebPagesThatCannotOpenSaySo) {
  LaterRun(game.Folder());
  Open();
  shell.result = false;
  frame->findChild<QAction*>(QStringLiteral("MnuOLSM98Home"))->trigger();
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].type, ScriptedDialogs::Type::Plain);
  EXPECT_EQ(dialogs.log[0].text, QStringLiteral("Could not open web page. (\"") + shell.opened[0] +
                                     QStringLiteral("\")"));
  shell.result = true;
  frame->findChild<QAction*>(QStringLiteral("mnuSm98MsgBrd"))->trigger();
  EXPECT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(shell.opened.size(), 2);
}

TEST_F(MainWindow, TheWindowMenuArrangesAndListsTheChildren) {
  LaterRun(game.Folder());
  Open();
  frame->resize(1200, 900);
  frame->A_Infantry->trigger();
  frame->A_Vehics->trigger();
  const QList<QMdiSubWindow*> windows = frame->MdiArea()->subWindowList(QMdiArea::CreationOrder);
  frame->TileHorizontally1->trigger();
  EXPECT_EQ(windows[0]->pos(), QPoint(0, 0));
  EXPECT_EQ(windows[1]->pos(), QPoint(0, windows[0]->height()));
  frame->TileVertically1->trigger();
  EXPECT_EQ(windows[1]->pos(), QPoint(windows[0]->width(), 0));
  frame->MinimizeAll1->trigger();
  EXPECT_TRUE(windows[0]->isMinimized() && windows[1]->isMinimized());
  auto* list = frame->findChild<QMenu*>(QStringLiteral("MnuWinsOpn"));
  emit list->aboutToShow();
  QStringList captions;
  for (QAction* a : list->actions()) {
    if (a->isVisible()) captions << a->text();
  }
  EXPECT_EQ(captions, (QStringList{QStringLiteral("&1 Infantry Settings - [Light Infantry]"),
                                   QStringLiteral("&2 Vehicle Settings - [Trike]")}));
}

TEST_F(MainWindow, AnEditTravelsFromTheWindowToTheGameFile) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  const QByteArray before = game.TemplatesBytes();
  TypeHealthInNewInfantryWindow(QStringLiteral("1000"))->B_Save->click();
  frame->findChild<QToolButton*>(QStringLiteral("B_Apply"))->click();
  EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("Light Infantry Saved Successfully"),
                                          QStringLiteral("Changes Have Been Applied")}));
  const QByteArray after = game.TemplatesBytes();
  QList<int> changed;
  for (int i = 0; i < after.size(); ++i) {
    if (after[i] != before[i]) changed << i;
  }
  EXPECT_EQ(changed, (QList<int>{4, 5}));  // 110 -> 1000 touches two of Health's four bytes
  EXPECT_EQ(quint8(after[4]) | quint8(after[5]) << 8, 1000);
}

TEST_F(MainWindow, CtrlZInTheFrameTakesASaveBackInEveryWindow) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  TF_Infs* w = OpenInfantry();
  TF_Infs* other = OpenInfantry();
  const QString cost = w->SE_Cost->Text();
  auto* settings = frame->findChild<QMenu*>(QStringLiteral("MnuSettings"));
  // The designed items come first; undo and redo follow them, then the units table.
  EXPECT_EQ(settings->actions().mid(settings->actions().size() - 4, 2),
            (QList<QAction*>{frame->A_Undo, frame->A_Redo}));
  EXPECT_EQ(settings->actions().back()->text(), QStringLiteral("Units &Table..."));
  EXPECT_FALSE(frame->A_Undo->isEnabled());

  Type(w->SE_Cost, QStringLiteral("75"));
  w->B_Save->click();
  EXPECT_EQ(other->SE_Cost->Text(), QStringLiteral("75"));
  EXPECT_TRUE(frame->A_Undo->isEnabled());
  EXPECT_EQ(frame->A_Undo->text().remove(QChar(u'&')), QStringLiteral("Undo Save Light Infantry"));

  frame->MdiArea()->setFocus();
  QTest::keyClick(frame->MdiArea(), Qt::Key_Z, Qt::ControlModifier);
  for (TF_Infs* each : {w, other}) EXPECT_EQ(each->SE_Cost->Text(), cost);
  EXPECT_FALSE(SaltmarchApp->Store->HasUnappliedChanges());
  EXPECT_EQ(frame->A_Redo->text().remove(QChar(u'&')), QStringLiteral("Redo Save Light Infantry"));

  QTest::keyClick(frame->MdiArea(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(other->SE_Cost->Text(), QStringLiteral("75"));
  QTest::keyClick(frame->MdiArea(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(frame->MdiArea(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->SE_Cost->Text(), QStringLiteral("75"));
  EXPECT_FALSE(frame->A_Redo->isEnabled());
}

TEST_F(MainWindow, UndoAfterApplyIsAChangeApplyWritesBack) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  TF_Infs* w = OpenInfantry();
  const QString health = w->SE_Health->Text();
  const QByteArray before = game.TemplatesBytes();
  Type(w->SE_Health, QStringLiteral("1000"));
  w->B_Save->click();
  frame->A_Commit->trigger();
  ASSERT_NE(game.TemplatesBytes(), before);

  frame->A_Undo->trigger();
  EXPECT_EQ(w->SE_Health->Text(), health);
  EXPECT_TRUE(SaltmarchApp->Store->HasUnappliedChanges());
  dialogs.Clear();
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Changes Have Been Applied")});
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(MainWindow, ExitAppliesSavedEditsWhenAskedTo) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  const QByteArray before = game.TemplatesBytes();
  TypeHealthInNewInfantryWindow(QStringLiteral("1000"));
  // The unsaved edit is saved into memory first; then Cancel keeps the program open.
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::OK).Answer(MsgResult::Cancel);
  frame->A_Exit->trigger();
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{QStringLiteral("Changes Have Been Made, Do You Want "
                                        "Them To Be Saved?"),
                         QStringLiteral("Light Infantry Saved Successfully"), kExitQuestion}));
  EXPECT_TRUE(frame->isVisible());
  EXPECT_NE(SaltmarchApp, nullptr);
  EXPECT_EQ(game.TemplatesBytes(), before);

  // The close box asks again; Yes applies, then the program ends.
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);
  EXPECT_TRUE(frame->close());
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{kExitQuestion, QStringLiteral("Changes Have Been Applied")}));
  EXPECT_EQ(SaltmarchApp, nullptr);
  const QByteArray after = game.TemplatesBytes();
  EXPECT_EQ(quint8(after[4]) | quint8(after[5]) << 8, 1000);
}

TEST_F(MainWindow, ExitStaysOpenWhenTheEditsCouldNotBeApplied) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  ChangeInMemory();
  SaltmarchApp->SetGameFolder(QString());
  dialogs.Answer(MsgResult::Yes).Answer(MsgResult::No);
  frame->A_Exit->trigger();
  EXPECT_EQ(dialogs.Texts(), (QStringList{kExitQuestion, kErr6}));
  EXPECT_TRUE(frame->isVisible());
  // No leaves without applying.
  dialogs.Answer(MsgResult::No);
  frame->A_Exit->trigger();
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(SaltmarchApp, nullptr);
}

TEST_F(MainWindow, TheSessionEndingAsksLikeExit) {
  LaterRun(game.Folder());
  Open();
  ChangeInMemory();
  // A session that lets nobody be asked is not held up.
  EXPECT_TRUE(frame->SessionEnding(false));
  EXPECT_TRUE(dialogs.log.empty());
  dialogs.Answer(MsgResult::Cancel);
  EXPECT_FALSE(frame->SessionEnding(true));
  EXPECT_EQ(dialogs.Texts(), QStringList{kExitQuestion});
  EXPECT_TRUE(frame->isVisible());
  dialogs.Answer(MsgResult::No);
  EXPECT_TRUE(frame->SessionEnding(true));
  EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainWindow, PreferencesChangeTheFoldersAtOnce) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
  dialogs.Answer(MsgResult::No);  // no game folder at start
  Open();
  dialogs.Clear();
  TF_Prefs prefs(frame.get());
  EXPECT_EQ(prefs.windowTitle(), QStringLiteral("Preferences"));
  EXPECT_EQ(prefs.size(), QSize(433, 255));
  EXPECT_EQ(prefs.PageControl1->tabText(0), QStringLiteral("Dune2000 Info"));
  EXPECT_FALSE(prefs.E_Location->isEnabled());
  EXPECT_FALSE(prefs.B_BakBrowse->isEnabled());
  dialogs.BrowseChooses(game.Path(QString()));
  prefs.B_D2kBrowse->click();
  EXPECT_EQ(prefs.E_Location->text(), game.Folder());
  EXPECT_TRUE(prefs.B_BakBrowse->isEnabled());
  dialogs.BrowseChooses(programDir.path());
  prefs.B_BakBrowse->click();
  prefs.B_Cancel->click();
  EXPECT_EQ(SaltmarchApp->BackupFolder, programDir.path() + PathSeparator());
  EXPECT_EQ(SaltmarchApp->GameFolder, game.Folder());
}

// ---- keys, child windows and the frame's place ----

const QString kUnsavedEdits =
    QStringLiteral("Changes Have Been Made, Do You Want Them To Be Saved?");

// Presses a key where the keyboard's input goes now: an open menu, else the focused widget.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = QApplication::activePopupWidget();
  QTest::keyClick(target ? target : QApplication::focusWidget(), key, modifiers);
}
QString OpenMenu() {
  QWidget* menu = QApplication::activePopupWidget();
  return menu ? menu->objectName() : QString();
}
QString FocusName() {
  return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

TEST_F(MainWindow, EveryMenuIsReachedByKeysWhileAUnitWindowHasTheFocus) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  TF_Infs* w = OpenInfantry();
  QLineEdit* cost = w->SE_Cost->Editor();
  cost->setFocus();

  // F10 takes the keys to the menu bar, Right goes round its menus, Escape gives them back.
  Press(Qt::Key_F10);
  QStringList reached;
  for (int i = 0; i < 6; ++i, Press(Qt::Key_Right)) reached << FocusName();
  EXPECT_EQ(reached.join(QChar(u' ')), QStringLiteral("bProject bSettings bWindows bOnLine bHelp "
                                                      "bProject"));
  Press(Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), cost);

  // Inside an open menu Left and Right open the neighbours; on an item with a submenu Right
  // opens the submenu, and on the submenu's items the next menu.
  Press(Qt::Key_F10);
  Press(Qt::Key_Down);
  EXPECT_EQ(OpenMenu(), QStringLiteral("MnuProject"));
  Press(Qt::Key_Left);
  EXPECT_EQ(OpenMenu(), QStringLiteral("MnuHelp"));
  for (const char* next : {"MnuProject", "MnuSettings", "MnuWindows", "MnuWinTile", "MnuOnLine"}) {
    Press(Qt::Key_Right);
    EXPECT_EQ(OpenMenu(), QLatin1String(next));
  }
  Press(Qt::Key_Escape);
  Press(Qt::Key_Escape);
  EXPECT_EQ(OpenMenu(), QString());
  EXPECT_EQ(QApplication::focusWidget(), cost);

  // Alt alone, then a menu's letter; the menu starts on its first item that can be chosen.
  Press(Qt::Key_Alt);
  Press(Qt::Key_S);
  EXPECT_EQ(OpenMenu(), QStringLiteral("MnuSettings"));
  Press(Qt::Key_Down);  // Infantry..., Vehicles...
  Press(Qt::Key_Return);
  EXPECT_EQ(OpenMenu(), QString());
  EXPECT_NE(qobject_cast<TF_Vehics*>(frame->MdiArea()->activeSubWindow()), nullptr);
}

TEST_F(MainWindow, ChildWindowKeysWorkFromTheFrameAndBringMinimizedWindowsBack) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  TF_Infs* infantry = OpenInfantry();
  frame->A_Vehics->trigger();
  QMdiSubWindow* vehicles = frame->MdiArea()->activeSubWindow();
  QMdiArea* area = frame->MdiArea();

  // Chosen in the window list, a minimized window comes back.
  frame->MinimizeAll1->trigger();
  auto* list = frame->findChild<QMenu*>(QStringLiteral("MnuWinsOpn"));
  emit list->aboutToShow();
  list->actions()[1]->trigger();  // "&1 Infantry Settings - [...]"
  EXPECT_FALSE(infantry->isMinimized());
  EXPECT_EQ(area->activeSubWindow(), infantry);
  // Ctrl+Tab too, in a child window or in the menu bar.
  QTest::keyClick(infantry->SE_Cost->Editor(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(area->activeSubWindow(), vehicles);
  EXPECT_FALSE(vehicles->isMinimized());
  frame->MinimizeAll1->trigger();
  Press(Qt::Key_F10);
  Press(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_FALSE(area->activeSubWindow()->isMinimized());
  QCoreApplication::processEvents();  // the round is over: Minimize All stays as it is
  frame->MinimizeAll1->trigger();
  EXPECT_TRUE(infantry->isMinimized() && vehicles->isMinimized());

  // Ctrl+F4 from the menu bar or the empty area closes the active window, asking first.
  Type(infantry->SE_Cost, QStringLiteral("12"));
  area->setActiveSubWindow(infantry);
  Press(Qt::Key_F10);
  dialogs.Answer(MsgResult::Cancel);
  Press(Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Texts(), QStringList{kUnsavedEdits});
  area->setActiveSubWindow(vehicles);
  area->setFocus();
  Press(Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return area->subWindowList().size() == 1; }));
  EXPECT_EQ(area->subWindowList().first(), infantry);
}

TEST_F(MainWindow, TheCloseBoxWorksAtTheFirstClickAfterACancel) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  TF_Infs* w = TypeHealthInNewInfantryWindow(QStringLiteral("999"));
  // A real message box covers the window while the question is asked.
  dialogs.onDialog = [](const ScriptedDialogs::Record&) {
    QMessageBox box;
    QTimer::singleShot(0, &box, &QDialog::reject);
    box.exec();
  };
  QStyleOptionTitleBar option;
  option.initFrom(w);
  option.subControls = QStyle::SC_All;
  option.titleBarFlags = w->windowFlags();
  option.rect = QRect(0, 0, w->width(), w->widget()->y());
  const QPoint box =
      w->style()
          ->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarCloseButton, w)
          .center();
  QTest::mouseMove(w, box);
  dialogs.Answer(MsgResult::Cancel).Answer(MsgResult::No);
  QTest::mouseClick(w, Qt::LeftButton, {}, box);
  QTest::mouseClick(w, Qt::LeftButton, {}, box);  // the pointer has not moved
  EXPECT_EQ(dialogs.Texts(), (QStringList{kUnsavedEdits, kUnsavedEdits}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea()->subWindowList().isEmpty(); }));
}

TEST_F(MainWindow, TileAndCascadeKeepEveryTitleBarInSight) {
  LaterRun(game.Folder());
  Open();  // the designed size: too small for two windows side by side or one above another
  for (int i = 0; i < 3; ++i) frame->A_Infantry->trigger();
  for (int i = 0; i < 2; ++i) frame->A_Vehics->trigger();
  const QSize room = frame->MdiArea()->viewport()->size();
  for (QAction* arrange : {frame->TileHorizontally1, frame->TileVertically1, frame->Cascade2}) {
    arrange->trigger();
    QSet<QPoint> places;
    for (QMdiSubWindow* w : frame->MdiArea()->subWindowList()) {
      const QRect title(w->pos(), QSize(qMin(w->width(), room.width()), w->widget()->y()));
      EXPECT_TRUE(QRect(QPoint(0, 0), room).contains(title))
          << arrange->objectName().toStdString() << " " << w->x() << "," << w->y();
      places.insert(w->pos());  // and none lies exactly over another's title bar
    }
    EXPECT_EQ(places.size(), 5) << arrange->objectName().toStdString();
  }
}

TEST_F(MainWindow, TheFrameReopensWhereItWasLeftWhenThatIsOnAScreen) {
  LaterRun(game.Folder());
  Open();
  const QRect left(30, 40, 700, 420);
  frame->setGeometry(left);
  ASSERT_TRUE(frame->close());
  Open();
  EXPECT_EQ(frame->geometry(), left);
  // Maximized, it opens maximized, and Restore goes back to the size the user gave it.
  frame->showMaximized();
  ASSERT_TRUE(frame->close());
  Open();
  EXPECT_TRUE(frame->isMaximized());
  frame->showNormal();
  EXPECT_EQ(frame->geometry(), left);
  frame.reset();

  // A place off every screen is not used: the frame opens at its designed size.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  for (QPoint away : {screen.bottomRight() + QPoint(10, 10), QPoint(-2000, 10)}) {
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("MainLeft"), away.x());
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("MainTop"), away.y());
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, QStringLiteral("MainMaximized"), 0);
    Open();
    EXPECT_EQ(frame->size(), QSize(654, 363)) << away.x() << "," << away.y();
    frame.reset();
  }
}

TEST_F(MainWindow, TheFocusShowsInTheUnitWindowsTheMenuBarAndTheDialogs) {
  LaterRun(game.Folder());
  Open();
  QApplication::setActiveWindow(frame.get());
  QStringList unseen;
  // Whether `w` looks different with the focus than after `moveOn` took it away.
  const auto check = [&unseen](QWidget* w, const std::function<void()>& moveOn) {
    const QImage focused = w->grab().toImage();
    moveOn();
    if (w->hasFocus() || w->grab().toImage() == focused) unseen << w->objectName();
  };
  TF_Infs* w = OpenInfantry();
  w->SE_Cost->Editor()->setFocus();
  for (QWidget *first = QApplication::focusWidget(), *at = first; at;) {
    check(at, [at] { QTest::keyClick(at, Qt::Key_Tab); });
    at = QApplication::focusWidget() == first ? nullptr : QApplication::focusWidget();
  }
  Press(Qt::Key_F10);
  for (int i = 0; i < 5; ++i) check(QApplication::focusWidget(), [] { Press(Qt::Key_Right); });
  Press(Qt::Key_Escape);

  // Dialogs show it from the start, before a key moved it; the hint's starts on OK.
  TF_HintForm hint(frame.get());
  TF_Prefs prefs(frame.get());
  TF_About about(frame.get());
  for (QDialog* dialog : std::initializer_list<QDialog*>{&hint, &prefs, &about}) {
    dialog->show();
    QApplication::setActiveWindow(dialog);
    QWidget* first = QApplication::focusWidget();
    if (dialog == &hint) {
      EXPECT_EQ(first, hint.bOK);
    }
    check(first, [first] { first->clearFocus(); });
    dialog->hide();
  }
  EXPECT_TRUE(unseen.isEmpty()) << unseen.join(QChar(u' ')).toStdString();
}

// ---- mods ----

// What smarch-units prints and leaves when it imports `mod` into a fresh copy of the sample game.
struct CliImport {
  QStringList dryRun;
  QByteArray bytes;
};
CliImport ImportWithTheCommandLine(const QString& mod) {
  SampleDir copy;
  QString out, err;
  QTextStream o(&out), e(&err);
  EXPECT_EQ(ImportCommand({copy.Folder(), mod, QStringLiteral("--dry-run")}, o, e), 0);
  CliImport cli{out.split(QChar(u'\n'), Qt::SkipEmptyParts)};
  cli.dryRun.removeLast();  // "Dry run: nothing was written."
  EXPECT_EQ(ImportCommand({copy.Folder(), mod}, o, e), 0) << err.toStdString();
  cli.bytes = copy.TemplatesBytes();
  return cli;
}

TEST_F(MainWindow, ImportModShowsTheChangesAndApplyWritesWhatTheCommandLineWrites) {
  LaterRun(game.Folder());
  Open();
  MakeBackup();
  auto* project = frame->findChild<QMenu*>(QStringLiteral("MnuProject"));
  QStringList items;
  for (QAction* a : project->actions()) items << a->objectName();
  // The designed items keep their places; the mods follow Exit.
  EXPECT_EQ(items.indexOf(QStringLiteral("MnuProjExit")), 10);
  EXPECT_EQ(items.mid(10),
            (QStringList{QStringLiteral("MnuProjExit"), QStringLiteral("MnuProjSep4"),
                         QStringLiteral("MnuProjImportMod"), QStringLiteral("MnuProjExportMod")}));
  EXPECT_EQ(project->actions()[12]->statusTip(),
            QStringLiteral("Import Unit Changes From A Mod File"));
  EXPECT_EQ(project->actions()[13]->statusTip(), QStringLiteral("Export The Units To A Mod File"));

  // Every unit at one cost: more changes than the question lists.
  QByteArray csv = "Format,saltmarch98-units,Version,1\nKind,Index,Cost\n";
  for (int i = 1; i <= InfantryCount; ++i) csv += "infantry," + QByteArray::number(i) + ",7\n";
  for (int i = 1; i <= VehicleCount; ++i) csv += "vehicle," + QByteArray::number(i) + ",7\n";
  const QString mod = programDir.filePath(QStringLiteral("cheap.csv"));
  WriteAll(mod, csv);
  const CliImport cli = ImportWithTheCommandLine(mod);
  ASSERT_GT(cli.dryRun.size(), 30);
  const QByteArray before = game.TemplatesBytes();
  dialogs.Clear();  // what the command line reported

  dialogs.FileDialogChooses(mod).Answer(MsgResult::No);
  project->actions()[12]->trigger();
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[0].type, ScriptedDialogs::Type::File);
  EXPECT_EQ(dialogs.log[0].text, QStringLiteral("Import Mod"));
  EXPECT_EQ(dialogs.log[0].file.filter, QStringLiteral("Unit mods (*.json *.csv)"));
  EXPECT_FALSE(dialogs.log[0].file.save);
  EXPECT_EQ(dialogs.log[1].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[1].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_EQ(dialogs.log[1].text,
            QStringLiteral("cheap.csv Makes These Changes To The Units:\r\r") +
                cli.dryRun.mid(0, 30).join(QChar(u'\r')) +
                QStringLiteral("\r... and %1 more\r\rDo You Want To Make Them? The Settings In "
                               "Dune2000 Will Not Change Until You Apply Changes.")
                    .arg(cli.dryRun.size() - 30));
  EXPECT_FALSE(frame->A_Undo->isEnabled());  // No changed nothing

  dialogs.Clear();
  dialogs.FileDialogChooses(mod).Answer(MsgResult::Yes);
  frame->A_ImportMod->trigger();
  EXPECT_EQ(frame->A_Undo->text().remove(QChar(u'&')), QStringLiteral("Undo Import cheap.csv"));
  EXPECT_EQ(game.TemplatesBytes(), before);  // in memory only, until Apply
  frame->A_Commit->trigger();
  EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("Changes Have Been Applied"));
  EXPECT_EQ(game.TemplatesBytes(), cli.bytes);

  // One Undo takes the whole import back; Apply then writes the game as it was.
  frame->A_Undo->trigger();
  EXPECT_FALSE(frame->A_Undo->isEnabled());
  frame->A_Commit->trigger();
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(MainWindow, ABadModOrTheGamesOwnFileIsRefusedAndAnExportImportsAsNoChange) {
  LaterRun(game.Folder());
  Open();
  const QString bad = programDir.filePath(QStringLiteral("bad.csv"));
  WriteAll(bad, "Format,saltmarch98-units,Version,1\nKind,Index,Armor\nvehicle,1,300\n");
  dialogs.FileDialogChooses(bad);
  frame->A_ImportMod->trigger();
  EXPECT_EQ(dialogs.log.back().kind, MsgKind::Warning);
  EXPECT_EQ(
      dialogs.log.back().text,
      QStringLiteral("The Mod Can't Be Imported, No Unit Has Been Changed.\r\r") + bad +
          QStringLiteral(
              ": line 3 (vehicle 1 \"Trike\"): Armor: 300 is outside the field's range 0..255"));
  EXPECT_FALSE(SaltmarchApp->Store->HasUnappliedChanges());

  // Exported and imported again: nothing to change.
  const QString mod = programDir.filePath(QStringLiteral("units.json"));
  dialogs.Clear();
  dialogs.FileDialogChooses(mod);
  frame->A_ExportMod->trigger();
  EXPECT_TRUE(dialogs.log[0].file.save);
  EXPECT_EQ(dialogs.log[0].file.defaultSuffix, QStringLiteral("json"));
  EXPECT_EQ(dialogs.log[1].text, QStringLiteral("The Units Have Been Exported To ") + mod);
  dialogs.FileDialogChooses(mod);
  frame->A_ImportMod->trigger();
  EXPECT_EQ(dialogs.log.back().text,
            QStringLiteral("No Changes: The Units Already Hold Every Value Of units.json"));

  // Never over the game's own file.
  const QByteArray gameBytes = game.TemplatesBytes();
  dialogs.Clear();
  dialogs.FileDialogChooses(game.TemplatesPath());
  frame->A_ExportMod->trigger();
  EXPECT_EQ(dialogs.log.back().text,
            QStringLiteral("Export Failed, Nothing Has Been Written.\r\r%1 is the game's own unit "
                           "file; choose another")
                .arg(game.TemplatesPath()));
  EXPECT_EQ(game.TemplatesBytes(), gameBytes);
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(MainWindow, ModsWithoutAGameFolderAskForOneAndACancelDoesNothing) {
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
  dialogs.Answer(MsgResult::No);  // no game folder at start
  Open();
  for (QAction* mods : {frame->A_ImportMod, frame->A_ExportMod}) {
    dialogs.Clear();
    dialogs.Answer(MsgResult::No);
    mods->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList{kErr6});
  }
  // With a game, a cancelled file dialog is the end of it.
  SaltmarchApp->SetGameFolder(game.Folder());
  for (QAction* mods : {frame->A_ImportMod, frame->A_ExportMod}) {
    dialogs.Clear();
    dialogs.FileDialogCancels();
    mods->trigger();
    EXPECT_EQ(dialogs.log.size(), 1u);
  }
}

}  // namespace
