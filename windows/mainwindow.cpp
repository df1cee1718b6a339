#include "mainwindow.h"

#include "aboutfrm.h"
#include "dialogs.h"
#include "editorcommands.h"
#include "hintform.h"
#include "infantrywindow.h"
#include "mainimages.h"
#include "menubarkeys.h"
#include "modcommands.h"
#include "prefs.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "stringtable.h"
#include "unitstablewindow.h"
#include "vehicleswindow.h"
#include "webpage.h"
#include "windowplaces.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include <climits>
#include <exception>

namespace {

// The frame's place and size are saved when the editor closes and taken again at its next start,
// unless the place lies off every screen by then.
void SaveFrameGeometry(const QWidget& frame) {
  const QRect normal =
      frame.isMaximized() || frame.isMinimized() ? frame.normalGeometry() : frame.geometry();
  if (normal.isValid()) {
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kFrameLeftValue, normal.x());
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kFrameTopValue, normal.y());
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kFrameWidthValue, normal.width());
    RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kFrameHeightValue, normal.height());
  }
  RegWriteInteger(RegRoot::CurrentUser, kOwnKey, kFrameMaximizedValue, frame.isMaximized());
}

void RestoreFrameGeometry(QWidget& frame) {
  const auto read = [](const QString& name, int def) {
    return RegReadInteger(RegRoot::CurrentUser, kOwnKey, name, def);
  };
  const int left = read(kFrameLeftValue, INT_MIN), top = read(kFrameTopValue, INT_MIN);
  const int width = read(kFrameWidthValue, 0), height = read(kFrameHeightValue, 0);
  // Nothing saved, or numbers no screen has: the designed size, where the system puts it.
  constexpr int kFar = 1 << 20;
  const auto within = [](int value, int low) { return value >= low && value <= kFar; };
  if (!within(left, -kFar) || !within(top, -kFar) || !within(width, 1) || !within(height, 1)) {
    return;
  }
  const QRect saved(left, top, width, height);
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
  if (!Reachable(saved, screens)) return;
  frame.setGeometry(QRect(saved.topLeft(), saved.size().expandedTo(frame.minimumSizeHint())));
  if (read(kFrameMaximizedValue, 0) != 0) frame.setWindowState(Qt::WindowMaximized);
}

}  // namespace

TF_Main::TF_Main(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("F_Main"));
  resize(654, 363);
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("MdiArea"));
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (window && cycling_ && window->isMinimized()) window->showNormal();
  });
  CreateActions();
  CreateMenuBar();
  CreateMainToolbar();
  CreateStatusBar();
  FormCreate();
  // Logging out must not end the program behind the user's back while edits wait.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
    if (!SessionEnding(session.allowsInteraction())) session.cancel();
  });
  qApp->installEventFilter(this);  // sees every click, to clear the hint
}

TF_Main::~TF_Main() {
  qApp->removeEventFilter(this);
  // Settings windows take themselves out of the application object's list as they go.
  delete mdi_;
  mdi_ = nullptr;
  if (SaltmarchApp == app_.get()) SaltmarchApp = nullptr;
}

QLabel* TF_Main::StatusPanel(int index) const {
  return panels_[index];
}

// ---- building the window ----

QAction* TF_Main::MakeAction(const char* name, const QString& caption, const QString& hint,
                             int image) {
  auto* action = new QAction(caption, this);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  action->setToolTip(hint.isEmpty() ? QString(caption).remove(QChar(u'&')) : hint);
  if (image >= 0) action->setIcon(MainImages::Menu(image));
  addAction(action);  // shortcuts work while the frame has the focus
  return action;
}

void TF_Main::CreateActions() {
  A_New = MakeAction("A_New", QStringLiteral("&New"),
                     QStringLiteral("Close Current Project And Create A New One"));
  A_New->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  A_Open = MakeAction("A_Open", QStringLiteral("&Open"), QStringLiteral("Open A Project"));
  A_Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  A_Save = MakeAction("A_Save", QStringLiteral("&Save"), QStringLiteral("Save Current Project"));
  A_Save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  A_SaveAs = MakeAction("A_SaveAs", QStringLiteral("Save &As"),
                        QStringLiteral("Save Current Project Under A Different Name"));
  // Projects are not part of this version: their commands are shown but never enabled.
  for (QAction* project : {A_New, A_Open, A_Save, A_SaveAs}) project->setEnabled(false);

  A_Commit = MakeAction("A_Commit", QStringLiteral("Save Edits To &Dune2000"),
                        QStringLiteral("Save The Edits You Have Made To Dune2000"), 2);
  A_Commit->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  A_Run = MakeAction("A_Run", QStringLiteral("&Run Dune2000"), QStringLiteral("Run Dune2000"), 1);
  A_Run->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  A_Infantry = MakeAction("A_Infantry", QStringLiteral("&Infantry"),
                          QStringLiteral("Click Here To Show The Infantry Window"), 0);
  A_Vehics = MakeAction("A_Vehics", QStringLiteral("&Vehicles"),
                        QStringLiteral("Click Here To Show The Vehicles Window"), 3);
  A_Exit = MakeAction("A_Exit", QStringLiteral("&Exit"), QStringLiteral("Leave Application"));
  A_Prefs = MakeAction("A_Prefs", QStringLiteral("&Preferences"),
                       QStringLiteral("Configure Saltmarch 98"));
  A_Backup = MakeAction("A_Backup", QStringLiteral("&Backup Dune2000 Game Files"), QString());
  A_Restore = MakeAction("A_Restore", QStringLiteral("&Restore Dune2000 Game Files"), QString());
  A_HelpAbout =
      MakeAction("A_HelpAbout", QStringLiteral("About..."), QStringLiteral("About Saltmarch 98"));
  A_FeedBack = MakeAction("A_FeedBack", QStringLiteral("Send Feedback To P.W.S."), QString());
  Arrange1 = MakeAction("Arrange1", QStringLiteral("&Arrange"), QString());
  Cascade2 = MakeAction("Cascade2", QStringLiteral("&Cascade"), QString(), 17);
  MinimizeAll1 = MakeAction("MinimizeAll1", QStringLiteral("&Minimize All"), QString());
  TileHorizontally1 =
      MakeAction("TileHorizontally1", QStringLiteral("Tile &Horizontally"), QString(), 15);
  TileVertically1 =
      MakeAction("TileVertically1", QStringLiteral("&Tile Vertically"), QString(), 16);

  A_Undo = MakeAction("A_Undo", QStringLiteral("&Undo"), QStringLiteral("Undo The Last Change"));
  A_Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  A_Redo = MakeAction("A_Redo", QStringLiteral("Re&do"),
                      QStringLiteral("Make The Last Undone Change Again"));
  A_Redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  A_UnitsTable = MakeAction("A_UnitsTable", QStringLiteral("Units &Table"),
                            QStringLiteral("Click Here To Show All Units Side By Side"), 4);
  A_UnitsTable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  // Nothing to undo until the application object's document has a history.
  A_Undo->setEnabled(false);
  A_Redo->setEnabled(false);
  A_ImportMod = MakeAction("A_ImportMod", QStringLiteral("&Import Mod..."),
                           QStringLiteral("Import Unit Changes From A Mod File"));
  A_ExportMod = MakeAction("A_ExportMod", QStringLiteral("E&xport Mod..."),
                           QStringLiteral("Export The Units To A Mod File"));

  connect(A_Commit, &QAction::triggered, this, &TF_Main::A_CommitExecute);
  connect(A_Run, &QAction::triggered, this, &TF_Main::A_RunExecute);
  connect(A_Infantry, &QAction::triggered, this, &TF_Main::A_InfantryExecute);
  connect(A_Vehics, &QAction::triggered, this, &TF_Main::A_VehicsExecute);
  connect(A_UnitsTable, &QAction::triggered, this, &TF_Main::A_UnitsTableExecute);
  connect(A_Exit, &QAction::triggered, this, &TF_Main::A_ExitExecute);
  connect(A_Prefs, &QAction::triggered, this, &TF_Main::A_PrefsExecute);
  connect(A_Backup, &QAction::triggered, this, &TF_Main::A_BackupExecute);
  connect(A_Restore, &QAction::triggered, this, &TF_Main::A_RestoreExecute);
  connect(A_HelpAbout, &QAction::triggered, this, &TF_Main::A_HelpAboutExecute);
  connect(A_FeedBack, &QAction::triggered, this, &TF_Main::A_FeedBackExecute);
  connect(Arrange1, &QAction::triggered, this, &TF_Main::ArrangeIcons);
  connect(Cascade2, &QAction::triggered, this, &TF_Main::Cascade);
  connect(MinimizeAll1, &QAction::triggered, this, &TF_Main::MinimizeAll);
  connect(TileHorizontally1, &QAction::triggered, this, &TF_Main::TileHorizontally);
  connect(TileVertically1, &QAction::triggered, this, &TF_Main::TileVertically);
  connect(A_ImportMod, &QAction::triggered, this, &TF_Main::A_ImportModExecute);
  connect(A_ExportMod, &QAction::triggered, this, &TF_Main::A_ExportModExecute);
}

QAction* TF_Main::AddItem(QMenu* menu, const char* name, QAction* action, const QString& caption) {
  // A menu item of its own that carries out the action; it may have a caption of its own.
  auto* item = menu->addAction(action->icon(), caption.isEmpty() ? action->text() : caption);
  item->setObjectName(QString::fromLatin1(name));
  item->setShortcut(action->shortcut());
  item->setShortcutContext(Qt::WidgetShortcut);  // the action itself owns the shortcut
  item->setStatusTip(action->statusTip());
  item->setEnabled(action->isEnabled());
  connect(item, &QAction::triggered, action, &QAction::trigger);
  return item;
}

QToolButton* TF_Main::AddMenuButton(const char* name, const QString& caption, QMenu* menu) {
  auto* button = new QToolButton(tbMainMenu_);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(caption);
  button->setMenu(menu);
  button->setPopupMode(QToolButton::InstantPopup);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setAutoRaise(true);
  button->setFixedSize(65, 21);
  button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
  tbMainMenu_->addWidget(button);
  return button;
}

void TF_Main::CreateMenuBar() {
  tbMainMenu_ = new QToolBar(QStringLiteral("Main Menu"), this);
  tbMainMenu_->setObjectName(QStringLiteral("tbMainMenu"));
  tbMainMenu_->setMovable(true);
  addToolBar(Qt::TopToolBarArea, tbMainMenu_);

  auto* project = new QMenu(this);
  project->setObjectName(QStringLiteral("MnuProject"));
  AddItem(project, "MnuProjNew", A_New);
  AddItem(project, "MnuProjOpen", A_Open);
  AddItem(project, "MnuProjSave", A_Save);
  AddItem(project, "MnuProjSaveAs", A_SaveAs);
  project->addSeparator()->setObjectName(QStringLiteral("MnuProjSep1"));
  AddItem(project, "MnuProjCommit", A_Commit);
  AddItem(project, "MnuProjRun", A_Run);
  project->addSeparator()->setObjectName(QStringLiteral("MnuProjSep2"));
  AddItem(project, "Preferences1", A_Prefs);
  project->addSeparator()->setObjectName(QStringLiteral("MnuProjSep3"));
  AddItem(project, "MnuProjExit", A_Exit);
  project->addSeparator()->setObjectName(QStringLiteral("MnuProjSep4"));
  AddItem(project, "MnuProjImportMod", A_ImportMod);
  AddItem(project, "MnuProjExportMod", A_ExportMod);

  auto* settings = new QMenu(this);
  settings->setObjectName(QStringLiteral("MnuSettings"));
  AddItem(settings, "MnuSetsInf", A_Infantry, QStringLiteral("&Infantry..."));
  AddItem(settings, "Vehicles1", A_Vehics, QStringLiteral("&Vehicles..."));
  settings->addSeparator()->setObjectName(QStringLiteral("MnuSetsSep1"));
  AddItem(settings, "BackupDune2000GameFiles1", A_Backup);
  AddItem(settings, "Restore1", A_Restore);
  // The actions themselves, not copies, so that the items follow their captions and states.
  settings->addSeparator()->setObjectName(QStringLiteral("MnuSetsSep2"));
  settings->addAction(A_Undo);
  settings->addAction(A_Redo);
  settings->addSeparator()->setObjectName(QStringLiteral("MnuSetsSep3"));
  AddItem(settings, "MnuSetsTable", A_UnitsTable, QStringLiteral("Units &Table..."));

  auto* windows = new QMenu(this);
  windows->setObjectName(QStringLiteral("MnuWindows"));
  QMenu* tile = windows->addMenu(QStringLiteral("&Tile"));
  tile->setObjectName(QStringLiteral("MnuWinTile"));
  AddItem(tile, "Tile1", TileHorizontally1);
  AddItem(tile, "TileVertically2", TileVertically1);
  AddItem(windows, "Cascade1", Cascade2);
  AddItem(windows, "ArrangeAll1", Arrange1);
  AddItem(windows, "Close2", MinimizeAll1);
  MnuWinsOpn_ = windows->addMenu(QStringLiteral("&Open Windows"));
  MnuWinsOpn_->setObjectName(QStringLiteral("MnuWinsOpn"));
  connect(MnuWinsOpn_, &QMenu::aboutToShow, this, &TF_Main::FillWindowList);

  auto* online = new QMenu(this);
  online->setObjectName(QStringLiteral("MnuOnLine"));
  QAction* fanSite = online->addAction(LoadStr(Str::FanSiteAddress));
  fanSite->setObjectName(QStringLiteral("MnuOLFanSite"));
  fanSite->setStatusTip(LoadStr(Str::FanSiteHint));
  connect(fanSite, &QAction::triggered, this, &TF_Main::MnuOLFanSiteClick);
  QAction* home = online->addAction(QStringLiteral("Saltmarch 98 Home Page"));
  home->setObjectName(QStringLiteral("MnuOLSM98Home"));
  home->setStatusTip(QStringLiteral("Visit The Saltmarch 98 Home Page"));
  connect(home, &QAction::triggered, this, &TF_Main::MnuOLSM98HomeClick);
  QAction* board = online->addAction(QStringLiteral("Saltmarch 98 Message Board"));
  board->setObjectName(QStringLiteral("mnuSm98MsgBrd"));
  board->setStatusTip(QStringLiteral("Open The Saltmarch 98 Support Message Board"));
  connect(board, &QAction::triggered, this, &TF_Main::mnuSm98MsgBrdClick);
  online->addSeparator()->setObjectName(QStringLiteral("MnuOLSep1"));
  AddItem(online, "SendFeedbackToPWS1", A_FeedBack);

  auto* help = new QMenu(this);
  help->setObjectName(QStringLiteral("MnuHelp"));
  AddItem(help, "About", A_HelpAbout);

  QList<QToolButton*> buttons;
  buttons << AddMenuButton("bProject", QStringLiteral("&Project"), project);
  tbMainMenu_->addSeparator();
  buttons << AddMenuButton("bSettings", QStringLiteral("&Settings"), settings);
  tbMainMenu_->addSeparator();
  buttons << AddMenuButton("bWindows", QStringLiteral("&Window"), windows);
  tbMainMenu_->addSeparator();
  buttons << AddMenuButton("bOnLine", QStringLiteral("&On-Line"), online);
  tbMainMenu_->addSeparator();
  buttons << AddMenuButton("bHelp", QStringLiteral("&Help"), help);
  tbMainMenu_->addSeparator()->setObjectName(QStringLiteral("tbEOTbMnu"));
  // A child window may take an access key for itself (Alt+S saves a unit): F10, or Alt alone,
  // and the arrow keys still reach every menu.
  menuKeys_ = new TMenuBarKeys(this, buttons);
}

QToolButton* TF_Main::AddBigButton(const char* name, const QString& caption, QAction* action,
                                   int image) {
  // The toolbar's captions are its own; the button carries out the action.
  auto* button = new QToolButton(TB_Main_);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(caption);
  button->setIcon(MainImages::Toolbar(image));
  button->setIconSize(QSize(30, 30));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setFixedSize(93, 50);
  button->setStatusTip(action->statusTip());
  button->setToolTip(action->toolTip());
  QFont bold = button->font();
  bold.setBold(true);
  button->setFont(bold);
  FitFontToWidth(button, caption, 93 - 8);
  connect(button, &QToolButton::clicked, action, &QAction::trigger);
  TB_Main_->addWidget(button);
  return button;
}

void TF_Main::CreateMainToolbar() {
  addToolBarBreak(Qt::TopToolBarArea);
  TB_Main_ = new QToolBar(QStringLiteral("Main Toolbar"), this);
  TB_Main_->setObjectName(QStringLiteral("TB_Main"));
  TB_Main_->setMovable(true);
  addToolBar(Qt::TopToolBarArea, TB_Main_);
  AddBigButton("B_Infantry", QStringLiteral("Infantry"), A_Infantry, 0);
  AddBigButton("ToolButton2", QStringLiteral("Vehicles"), A_Vehics, 3);
  TB_Main_->addSeparator();
  AddBigButton("B_RunDune2k", QStringLiteral("Run Dune2000"), A_Run, 1);
  TB_Main_->addSeparator();
  AddBigButton("B_Apply", QStringLiteral("Apply Changes"), A_Commit, 2);
  TB_Main_->addSeparator()->setObjectName(QStringLiteral("tbEOTbMain"));
  AddBigButton("B_UnitsTable", QStringLiteral("Units Table"), A_UnitsTable, 4);
}

void TF_Main::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("SB_Help"));
  bar->setSizeGripEnabled(true);
  for (int i = 0; i < 2; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QStringLiteral("SB_Help_Panel%1").arg(i));
    panels_[i]->setFrameShape(QFrame::StyledPanel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
  }
  // Panel 0 gives way where the size grip and the margins would leave panel 1 too little room
  // for the version: the panels never overlap.
  panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(panels_[0], 1);
  bar->addPermanentWidget(panels_[1]);
}

void TF_Main::FitStatusPanels() {
  // Designed: panel 0 as wide as the client area less 80, panel 1 the rest.
  panels_[0]->setMaximumWidth(qMax(0, width() - 80));
}

// ---- creation and close-down ----

void TF_Main::FormCreate() {
  app_ = std::make_unique<TSaltmarch>(&ShowHintForm);
  SaltmarchApp = app_.get();
  ConnectUndo(app_->Document->UndoStack());
  setWindowTitle(ApplicationTitle());
  RestoreFrameGeometry(*this);
  panels_[1]->setText(QStringLiteral("v ") + FileVersionText());
  DisplayHint(QString());
  QCoreApplication::processEvents();
  if (WantsCommonControlsUpdate(Dialogs())) OpenWebPage(LoadStr(Str::CommonControlsAddress));
}

void TF_Main::ConnectUndo(QUndoStack* stack) {
  connect(A_Undo, &QAction::triggered, stack, &QUndoStack::undo);
  connect(A_Redo, &QAction::triggered, stack, &QUndoStack::redo);
  const auto follow = [this, stack] {
    const auto caption = [](const QString& verb, const QString& step) {
      return step.isEmpty() ? verb : verb + QChar(u' ') + step;
    };
    A_Undo->setEnabled(stack->canUndo());
    A_Undo->setText(caption(QStringLiteral("&Undo"), stack->undoText()));
    A_Redo->setEnabled(stack->canRedo());
    A_Redo->setText(caption(QStringLiteral("Re&do"), stack->redoText()));
  };
  connect(stack, &QUndoStack::indexChanged, this, follow);
  connect(stack, &QUndoStack::cleanChanged, this, follow);
  connect(stack, &QUndoStack::undoTextChanged, this, follow);
  connect(stack, &QUndoStack::redoTextChanged, this, follow);
  follow();
}

bool TF_Main::FormCloseQuery() {
  try {
    if (app_ && !ReadyToClose(*app_, Dialogs())) return false;
    if (app_) {
      SaveFrameGeometry(*this);
      SaltmarchApp = nullptr;
      app_.reset();  // saves the preference
    }
  } catch (const std::exception&) {
    // Closing must not fail: whatever went wrong above, the program ends.
  }
  return true;
}

void TF_Main::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TF_Main::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (panels_[0]) FitStatusPanels();
}

void TF_Main::keyPressEvent(QKeyEvent* event) {
  // What the child windows answer themselves while they have the focus, the frame answers for
  // the active one while the focus is elsewhere in it (its toolbars, the empty area).
  if (event->matches(QKeySequence::Close)) {
    if (QMdiSubWindow* active = mdi_->activeSubWindow()) active->close();
    return;
  }
  if (event->modifiers() & Qt::ControlModifier &&
      (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
    if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier)) {
      mdi_->activateNextSubWindow();
    } else {
      mdi_->activatePreviousSubWindow();
    }
    if (QMdiSubWindow* active = mdi_->activeSubWindow()) ShowChild(active);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool TF_Main::event(QEvent* event) {
  // The hint of whatever is under the pointer goes to status panel 0, never over the panels.
  if (event->type() == QEvent::StatusTip) {
    DisplayHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool TF_Main::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      // A click ends the hint: the pointer rests no longer, and a command may now be running.
      DisplayHint(QString());
      // A child window forgets which title bar button is under the pointer when a question
      // covers it (the pointer left it), and acts only on a button that was under the pointer
      // at the press: a close box answered with Cancel needed a second click. The press tells
      // it again where the pointer is.
      auto* child = qobject_cast<QMdiSubWindow*>(watched);
      const auto* press = static_cast<QMouseEvent*>(event);
      if (child && child->mdiArea() == mdi_ && press->button() == Qt::LeftButton) {
        QMouseEvent move(QEvent::MouseMove, press->position(), press->scenePosition(),
                         press->globalPosition(), Qt::NoButton, Qt::NoButton, press->modifiers());
        QCoreApplication::sendEvent(child, &move);
      }
      break;
    }
    case QEvent::KeyPress: {
      // Qt's own Ctrl+Tab goes through the child windows and activates one as Ctrl is let go.
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() & Qt::ControlModifier &&
          (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
        cycling_ = true;
      }
      break;
    }
    case QEvent::KeyRelease:
      if (cycling_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control) {
        // The window is activated while Ctrl's release is handled; then the round is over.
        QMetaObject::invokeMethod(
            this, [this] { cycling_ = false; }, Qt::QueuedConnection);
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TF_Main::DisplayHint(const QString& hint) {
  panels_[0]->setText(hint);
}

// ---- actions ----

void TF_Main::A_CommitExecute() {
  ApplyEdits(*app_, Dialogs());
}

void TF_Main::A_RunExecute() {
  RunDune2000(*app_, Dialogs());
}

void TF_Main::A_InfantryExecute() {
  new TF_Infs(mdi_);
}

void TF_Main::A_VehicsExecute() {
  new TF_Vehics(mdi_);
}

void TF_Main::A_UnitsTableExecute() {
  // One table shows every unit: a second would only show the same.
  if (unitsTable_) {
    ShowChild(unitsTable_);
    return;
  }
  unitsTable_ = new TF_UnitsTable(mdi_);
}

void TF_Main::A_PrefsExecute() {
  TF_Prefs prefs(this);
  prefs.exec();
  if (unitsTable_) unitsTable_->RefreshOriginals();  // the backup folder may be another now
}

void TF_Main::A_BackupExecute() {
  BackupAndReport(*app_, Dialogs());
  if (unitsTable_) unitsTable_->RefreshOriginals();
}

void TF_Main::A_RestoreExecute() {
  app_->RestoreGameFile();
  if (unitsTable_) unitsTable_->RefreshOriginals();
}

void TF_Main::A_HelpAboutExecute() {
  TF_About about(this);
  about.exec();
}

void TF_Main::A_FeedBackExecute() {
  emit FeedbackRequested();
}

void TF_Main::A_ImportModExecute() {
  ImportModFile(*app_, Dialogs());
}

void TF_Main::A_ExportModExecute() {
  ExportModFile(*app_, Dialogs());
}

void TF_Main::A_ExitExecute() {
  close();
}

bool TF_Main::SessionEnding(bool mayAsk) {
  // Without leave to ask, nothing can be decided for the user: the edits stay where they are.
  return !mayAsk || close();
}

void TF_Main::MnuOLFanSiteClick() {
  OpenWebPage(LoadStr(Str::FanSiteAddress));
}
void TF_Main::MnuOLSM98HomeClick() {
  OpenWebPage(LoadStr(Str::HomePageAddress));
}
void TF_Main::mnuSm98MsgBrdClick() {
  OpenWebPage(LoadStr(Str::MessageBoardAddress));
}

// ---- the window actions ----

QList<QMdiSubWindow*> TF_Main::OpenWindows() const {
  return mdi_->subWindowList(QMdiArea::CreationOrder);
}

namespace {

QList<QMdiSubWindow*> Shown(const QList<QMdiSubWindow*>& windows) {
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* w : windows) {
    if (!w->isMinimized()) shown << w;
  }
  return shown;
}

// The height of a child window's title bar, which its frame keeps above its contents.
int TitleBarHeight(const QMdiSubWindow* w) {
  return w->contentsMargins().top();
}

}  // namespace

void TF_Main::TileHorizontally() {
  Tile(Qt::Vertical);  // one above another
}

void TF_Main::TileVertically() {
  Tile(Qt::Horizontal);  // side by side
}

void TF_Main::Tile(Qt::Orientation along) {
  // Settings windows keep their designed size, so only their places change; where they can't
  // all be seen whole, they overlap, each title bar still in sight.
  const QList<QMdiSubWindow*> windows = Shown(OpenWindows());
  if (windows.isEmpty()) return;
  const bool down = along == Qt::Vertical;
  QList<int> lengths;
  for (QMdiSubWindow* w : windows) lengths << (down ? w->height() : w->width());
  const QSize room = mdi_->viewport()->size();
  const QList<int> starts =
      SpreadAlong(lengths, down ? room.height() : room.width(), TitleBarHeight(windows.first()));
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->move(down ? QPoint(0, starts[i]) : QPoint(starts[i], 0));
  }
  KeepTitleBarsInside();
}

void TF_Main::Cascade() {
  mdi_->cascadeSubWindows();
  KeepTitleBarsInside();
}

void TF_Main::KeepTitleBarsInside() {
  const QSize room = mdi_->viewport()->size();
  for (QMdiSubWindow* w : Shown(OpenWindows())) {
    w->move(KeptInside(w->geometry(), room, TitleBarHeight(w)));
  }
}

void TF_Main::ArrangeIcons() {
  // Minimised windows line up along the bottom edge, in more rows where one is not enough.
  const int width = mdi_->viewport()->width();
  int left = 0;
  int bottom = mdi_->viewport()->height();
  for (QMdiSubWindow* w : OpenWindows()) {
    if (!w->isMinimized()) continue;
    if (left > 0 && left + w->width() > width) {
      left = 0;
      bottom -= w->height();
    }
    w->move(left, bottom - w->height());
    left += w->width();
  }
}

void TF_Main::MinimizeAll() {
  for (QMdiSubWindow* w : OpenWindows()) w->showMinimized();
}

void TF_Main::FillWindowList() {
  MnuWinsOpn_->clear();
  // The list's own first item is empty and stays out of sight; the windows follow it.
  QAction* placeholder = MnuWinsOpn_->addAction(QString());
  placeholder->setVisible(false);
  int number = 0;
  for (QMdiSubWindow* w : OpenWindows()) {
    QAction* item =
        MnuWinsOpn_->addAction(QStringLiteral("&%1 %2").arg(++number).arg(w->windowTitle()));
    item->setCheckable(true);
    item->setChecked(w == mdi_->activeSubWindow());
    connect(item, &QAction::triggered, this, [this, window = QPointer<QMdiSubWindow>(w)] {
      if (window) ShowChild(window);
    });
  }
}

void TF_Main::ShowChild(QMdiSubWindow* window) {
  if (window->isMinimized()) window->showNormal();
  mdi_->setActiveSubWindow(window);
}
