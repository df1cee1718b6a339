#pragma once

#include "unitwin.h"

// The settings window of the 7 infantry types.
class TF_Infs : public TUnitSettingsWin {
  Q_OBJECT
 public:
  explicit TF_Infs(QMdiArea* frame);

  void FillUnitMenu() override;
};
