#pragma once

#include "settingswin.h"
#include "unittemplate.h"

#include <QPointer>
#include <QString>

class QCheckBox;
class QLabel;
class QMainWindow;
class QMdiArea;
class QMenu;
class QAction;
class QSlider;
class QToolBar;
class QToolButton;
class TColumnMenu;
class TSpinEdit;

// What differs between the infantry and the vehicle window.
struct UnitWindowDesign {
  std::uint8_t kind;        // ukInfantry or ukVehicle
  int titleId;              // "Infantry Settings" / "Vehicle Settings"
  const char* windowName;   // F_Infs / F_Vehics
  const char* toolbarName;  // tbInfs / tbVehics
  const char* toolbarCaption;
  const char* unitMenuName;  // PMnuInfs / PMnuVehics
  int clientWidth;
  int controlBarHeight;
  int panelHeight;
  // The spin edits' ranges come from the field range table; the sliders' are the window's own.
  int sightSliderMax;
  int armorSliderMax;
};

// The form and the behaviour both unit settings windows share: the toolbar, the rows of
// sliders, spin edits and check boxes, the edit modes, navigation, saving, the question about
// unsaved changes and the raw record view. Each window adds its ranges, its unit menu and
// (vehicles) the unit's picture; its constructor ends with FormCreate().
class TUnitSettingsWin : public TSaltmarchSettingsWin {
  Q_OBJECT
 public:
  TUnitSettingsWin(QMdiArea* frame, const UnitWindowDesign& design);
  ~TUnitSettingsWin() override;

  void ShowUnit(const TUnitTemplate& unit);
  void ReadControls(TUnitTemplate& unit);
  void OnResetAll(TSaltmarchSettingsWin* sender);
  // The document changed a unit: the window shows it anew when it is the unit shown.
  void FollowUnit(std::uint8_t kind, int index);
  void ApplyEditMode() override;
  bool HasChanges() override;

  void B_SaveClick();
  void B_PrevClick();
  void B_NextClick();
  void B_SelectClick();
  void PopupClickWrapper();
  void MnuEditModeNovClick() { SetEditMode(emNovice); }
  void MnuEditModeAdvClick() { SetEditMode(emAdvanced); }
  void MnuEditModePwrClick() { SetEditMode(emPowerUser); }
  void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
  // Only the window's own toolbar may dock into its control bar.
  bool CtrlBar_InfsDockOver(const QString& controlName) const;

  // The client area's size (inside the window's frame).
  QSize ClientSize() const;
  const UnitWindowDesign& Design() const { return design_; }
  TF_HexEdit* RawView() const { return FRawView; }

  // The form's controls, named as the program knows them.
  QMainWindow* CtrlBar_Infs;  // holds the toolbar (and the panel below it)
  QToolBar* Toolbar;
  QToolButton *ToolButton3, *B_Save, *B_Prev, *B_Select, *B_Next;
  QMenu *PMnuFormMode, *MnuEditMode;
  QAction *MnuEditModeNov, *MnuEditModeAdv, *MnuEditModePwr;
  TColumnMenu* UnitMenu;
  QWidget* Client;  // the area below the control bar
  QWidget* P_Infs;
  QLabel* Label1;
  QLabel *L_Cost, *L_Health, *L_Sight, *L_Armor, *L_ROT, *L_BuildSpeed, *Label2, *L_SelfHeal,
      *Label7, *L_Owners;
  TSpinEdit *SE_Cost, *SE_Health, *SE_Sight, *SE_Armor, *SE_ROT, *SE_BuildSpeed, *SE_FireSpeed;
  QSlider *TB_Sight, *TB_Armor, *TB_ROT, *TB_BuildSpeed, *TB_FireSpeed;
  QLabel *L_SightMin, *L_SightMax, *L_ArmorMin, *L_ArmorMax, *L_ROTFast, *L_ROTSlow, *L_BSFast,
      *L_BSSlow, *L_FSFast, *L_FSSlow;
  QCheckBox *KB_SelfHeal, *KB_Inaccurate, *KB_Atreides, *KB_Ordos, *KB_Harkonnen, *KB_Imperial;
  QLabel *Label8, *Label9, *L_Hark, *Label10;

 protected:
  // Creation, in order: edit mode, reset callback, no unit yet, the first load and show.
  void FormCreate();
  // After a unit has been shown (the vehicle window loads its picture here).
  virtual void UnitShown() {}
  // The vehicle window frees its picture when the close goes ahead.
  virtual void FormClosing() {}

  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  void GetUnit(int i, TUnitTemplate& unit) const;

 private:
  void BuildToolbar();
  void BuildPanel();
  void PairSpinAndSlider(TSpinEdit* spin, QSlider* slider, bool inverted);
  void ShowValueOnSlider(TSpinEdit* spin, QSlider* slider, const QString& caption);
  void SetClientSize(int width, int height);
  void CtrlBar_InfsResize();
  // Acts on the window's own keys (Alt+S, and Ctrl+B/Ctrl+N on release); true when the key
  // was the window's alone.
  bool WindowKey(QEvent* event);
  // Asks about unsaved changes; false when the user cancels.
  bool ConfirmDroppingChanges();

  // Saves the edited controls into the store; false when an edited number can't be stored as
  // typed and the user was told so.
  bool SaveShownUnit();
  // Whether every edited spin edit holds a number its field takes; if not, says which does not.
  bool EditedNumbersValid();
  // Whether the store holds this window's units; after a failed load nothing can be edited.
  bool UnitsReady() const;
  void EnableEditing(bool on);

  UnitWindowDesign design_;
};
