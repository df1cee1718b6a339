#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QUndoStack;
class TF_UnitsTable;
class TMenuBarKeys;
class TSaltmarch;

// The editor's main window: a frame for the unit settings windows, with the menu bar made of
// toolbar buttons, the big toolbar and the status bar. Its creation creates the application
// object, which finds the game; its granted close saves the folders and frees it again.
class TF_Main : public QMainWindow {
  Q_OBJECT
 public:
  explicit TF_Main(QWidget* parent = nullptr);
  ~TF_Main() override;

  QMdiArea* MdiArea() const { return mdi_; }
  // The status bar's panels: 0 the current hint, 1 the version.
  QLabel* StatusPanel(int index) const;

  // Actions.
  void A_CommitExecute();
  void A_RunExecute();
  void A_InfantryExecute();
  void A_VehicsExecute();
  void A_UnitsTableExecute();
  void A_PrefsExecute();
  void A_BackupExecute();
  void A_RestoreExecute();
  void A_HelpAboutExecute();
  void A_FeedBackExecute();
  void A_ExitExecute();
  void MnuOLFanSiteClick();
  void MnuOLSM98HomeClick();
  void mnuSm98MsgBrdClick();
  // Mods: the units read from and written to a mod file.
  void A_ImportModExecute();
  void A_ExportModExecute();
  // Shows the application's current hint in status panel 0.
  void DisplayHint(const QString& hint);
  // The user's session is ending: when the session lets the editor ask, the same questions as
  // Exit, so that no edit is lost with it; false when the user chose to stay.
  bool SessionEnding(bool mayAsk);

  // The window actions.
  void TileHorizontally();
  void TileVertically();
  void Cascade();
  void ArrangeIcons();
  void MinimizeAll();
  // Brings a child window to the front, restored when it was minimized.
  void ShowChild(QMdiSubWindow* window);
  // The keys of the menu bar made of toolbar buttons.
  TMenuBarKeys* MenuBarKeys() const { return menuKeys_; }

  QAction *A_New, *A_Open, *A_Save, *A_SaveAs, *A_Commit, *A_Run, *A_Infantry, *A_Vehics, *A_Exit,
      *A_Prefs, *A_Backup, *A_Restore, *A_HelpAbout, *A_FeedBack, *Arrange1, *Cascade2,
      *MinimizeAll1, *TileHorizontally1, *TileVertically1;
  // Undo and redo of the changes made to the units; their captions name the step.
  QAction *A_Undo, *A_Redo, *A_UnitsTable;
  QAction *A_ImportMod, *A_ExportMod;

 signals:
  // The user asked to send feedback; the program opens its feedback form over the frame.
  void FeedbackRequested();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormCreate();
  bool FormCloseQuery();
  void CreateActions();
  void CreateMenuBar();
  void CreateMainToolbar();
  void CreateStatusBar();
  void FillWindowList();
  void FitStatusPanels();
  // Lays the child windows one after another down the area or across it.
  void Tile(Qt::Orientation along);
  // Puts each child window's title bar back inside the area, where the user can reach it.
  void KeepTitleBarsInside();
  // The undo actions carry out and follow the document's history.
  void ConnectUndo(QUndoStack* stack);
  QAction* MakeAction(const char* name, const QString& caption, const QString& hint,
                      int image = -1);
  QAction* AddItem(QMenu* menu, const char* name, QAction* action,
                   const QString& caption = QString());
  QToolButton* AddMenuButton(const char* name, const QString& caption, QMenu* menu);
  QToolButton* AddBigButton(const char* name, const QString& caption, QAction* action, int image);
  QList<QMdiSubWindow*> OpenWindows() const;

  std::unique_ptr<TSaltmarch> app_;
  QMdiArea* mdi_ = nullptr;
  QToolBar* tbMainMenu_ = nullptr;
  QToolBar* TB_Main_ = nullptr;
  QLabel* panels_[2] = {nullptr, nullptr};
  QMenu* MnuWinsOpn_ = nullptr;
  TMenuBarKeys* menuKeys_ = nullptr;
  // Ctrl+Tab is going through the child windows: the one it ends on comes back if minimized.
  bool cycling_ = false;
  QPointer<TF_UnitsTable> unitsTable_;
};
