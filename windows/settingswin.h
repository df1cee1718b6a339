#pragma once

#include "saltmarch.h"

#include <QMdiSubWindow>
#include <QSet>

#include <cstdint>
#include <functional>

class TF_HexEdit;

// The base of the unit settings windows: a child window of the main frame that registers with
// the application object for as long as it exists, keeps its edit mode and current unit, and
// reloads itself when told that the settings in memory were reset.
class TSaltmarchSettingsWin : public QMdiSubWindow {
  Q_OBJECT
 public:
  enum EditMode : std::uint8_t { emNovice = 1, emAdvanced = 2, emPowerUser = 4 };

  explicit TSaltmarchSettingsWin(QWidget* parent = nullptr);
  ~TSaltmarchSettingsWin() override;

  void SetEditMode(std::uint8_t mode);
  std::uint8_t EditModeValue() const { return FEditMode; }
  int CurrentUnit() const { return FCurrentUnit; }
  // 1 while the raw record view is embedded, else 0.
  int Tag() const { return tag_; }

  virtual void ApplyEditMode() = 0;
  virtual void FillUnitMenu() = 0;
  virtual bool HasChanges() = 0;

  std::function<void(TSaltmarchSettingsWin* sender)> OnReset;

 protected:
  bool event(QEvent* event) override;

  // What the user edited. A control counts as edited once it changed since the unit was last
  // shown or saved, unless the window itself changed it while showing the unit: keys, the
  // wheel, a slider, a paste or a click. Being edited is not the same as differing from what was
  // shown: a value typed over an equal one is still the user's, and one the window merely shows
  // differently (clamped into a slider) is not. Only edited controls are written back, and the
  // others may follow the unit whenever it changes.
  void MarkEdited(const QObject* control);
  bool Edited(const QObject* control) const { return edited_.contains(control); }
  bool AnyEdited() const { return !edited_.isEmpty(); }
  void ForgetEdits() { edited_.clear(); }
  // While one lives, the window is filling its controls and their changes are not edits.
  class Showing {
   public:
    explicit Showing(TSaltmarchSettingsWin& window) : window_(window), was_(window.showing_) {
      window.showing_ = true;
    }
    ~Showing() { window_.showing_ = was_; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

   private:
    TSaltmarchSettingsWin& window_;
    bool was_;
  };

  std::uint8_t FEditMode = emNovice;
  bool FResetting = false;
  std::int32_t FCurrentUnit = 0;
  TF_HexEdit* FRawView = nullptr;
  std::int32_t FSavedWidth = 0;
  std::int32_t FSavedHeight = 0;
  int tag_ = 0;

 private:
  QSet<const QObject*> edited_;
  bool showing_ = false;
};
