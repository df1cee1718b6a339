#include "vehicleswindow.h"

#include "columnmenu.h"
#include "stringtable.h"
#include "templatestore.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

namespace {

const UnitWindowDesign kVehicleDesign = {
    .kind = ukVehicle,
    .titleId = Str::VehicleSettingsTitle,
    .windowName = "F_Vehics",
    .toolbarName = "tbVehics",
    .toolbarCaption = "Vehicle Toolbar",
    .unitMenuName = "PMnuVehics",
    .clientWidth = 396,
    .controlBarHeight = 26,
    .panelHeight = 258,
    .sightSliderMax = 7,
    .armorSliderMax = 15,
};

}  // namespace

TF_Vehics::TF_Vehics(QMdiArea* frame) : TUnitSettingsWin(frame, kVehicleDesign) {
  pbImg = new QWidget(P_Infs);
  pbImg->setObjectName(QStringLiteral("pbImg"));
  pbImg->setGeometry(336, 8, 56, 57);
  pbImg->installEventFilter(this);
  FPicture = std::make_unique<QImage>();
  FormCreate();
}

TF_Vehics::~TF_Vehics() = default;

void TF_Vehics::FillUnitMenu() {
  if (!UnitMenu->Items.isEmpty()) return;
  TDune2kFile& store = *SaltmarchApp->Store;
  for (int i = 1; i <= VehicleCount; ++i) {
    auto* item = new TMenuItem(this);
    item->Caption = VehicleNames[i];
    if (store.LoadVehiclePicture(ukVehicle, std::uint8_t(i), false, nullptr)) {
      QImage small;
      if (store.LoadVehiclePicture(ukVehicle, std::uint8_t(i), true, &small)) {
        // Masked by the colour of its bottom-left pixel, as the game's pictures are meant.
        UnitMenu->Images.append(QIcon(QPixmap::fromImage(TransparentByBottomLeft(small))));
        item->ImageIndex = int(UnitMenu->Images.size() - 1);
      }
    }
    item->Tag = i;
    item->Break = i == 11;
    connect(item, &TMenuItem::Click, this, &TF_Vehics::PopupClickWrapper);
    UnitMenu->Add(item);
  }
}

void TF_Vehics::UnitShown() {
  // A unit without a picture file leaves FPicture as it was, but the box then stays empty
  // rather than showing another unit's picture.
  TDune2kFile& store = *SaltmarchApp->Store;
  const auto unit = std::uint8_t(FCurrentUnit);
  pictureIsCurrent_ = FPicture && store.LoadVehiclePicture(ukVehicle, unit, false, nullptr) &&
                      store.LoadVehiclePicture(ukVehicle, unit, false, FPicture.get());
  pbImg->update();
}

void TF_Vehics::FormClosing() {
  FPicture.reset();
}

bool TF_Vehics::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pbImg && event->type() == QEvent::Paint) {
    pbImgPaint();
    return true;
  }
  return TUnitSettingsWin::eventFilter(watched, event);
}

void TF_Vehics::pbImgPaint() {
  if (!pictureIsCurrent_ || !FPicture || FPicture->isNull()) return;
  QPainter painter(pbImg);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // Scaled to fit the box, keeping its proportions, centred.
  const QSize fitted = FPicture->size().scaled(pbImg->size(), Qt::KeepAspectRatio);
  const QRect target(
      QPoint((pbImg->width() - fitted.width()) / 2, (pbImg->height() - fitted.height()) / 2),
      fitted);
  painter.drawImage(target, *FPicture);
}
