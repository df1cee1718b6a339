#pragma once

#include "saltmarch.h"

#include <QMdiSubWindow>

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

  std::uint8_t FEditMode = emNovice;
  bool FResetting = false;
  std::int32_t FCurrentUnit = 0;
  TF_HexEdit* FRawView = nullptr;
  std::int32_t FSavedWidth = 0;
  std::int32_t FSavedHeight = 0;
  int tag_ = 0;
};
