#pragma once

#include "unitwin.h"

#include <QImage>

class QWidget;

// The settings window of the 21 vehicle types, with a picture of the current vehicle and small
// pictures in its unit menu.
class TF_Vehics : public TUnitSettingsWin {
  Q_OBJECT
 public:
  explicit TF_Vehics(QMdiArea* frame);
  ~TF_Vehics() override;

  void FillUnitMenu() override;

  QWidget* pbImg;
  // The full-size picture of the current vehicle; freed when the window closes.
  std::unique_ptr<QImage> FPicture;

 protected:
  void UnitShown() override;
  void FormClosing() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void pbImgPaint();

  bool pictureIsCurrent_ = false;  // FPicture shows the unit on view
};
