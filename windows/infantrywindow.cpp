#include "infantrywindow.h"

#include "columnmenu.h"
#include "stringtable.h"

#include <QApplication>

namespace {

const UnitWindowDesign kInfantryDesign = {
    .kind = ukInfantry,
    .titleId = Str::InfantrySettingsTitle,
    .windowName = "F_Infs",
    .toolbarName = "tbInfs",
    .toolbarCaption = "Infantry Toolbar",
    .unitMenuName = "PMnuInfs",
    .clientWidth = 378,
    .controlBarHeight = 29,
    .panelHeight = 255,
    .sightSliderMax = 7,
    .armorSliderMax = 7,
};

}  // namespace

TF_Infs::TF_Infs(QMdiArea* frame) : TUnitSettingsWin(frame, kInfantryDesign) {
  FormCreate();
}

void TF_Infs::FillUnitMenu() {
  if (UnitMenu->Items.isEmpty()) {
    for (int i = 1; i <= InfantryCount; ++i) {
      auto* item = new TMenuItem(this);
      item->Caption = InfantryNames[i];
      item->Tag = i;
      item->Break = i == 5;
      connect(item, &TMenuItem::Click, this, &TF_Infs::PopupClickWrapper);
      UnitMenu->Add(item);
    }
  }
  // Sorted by name every time. The sort swaps what the items show and select, not the items, so
  // the column break stays on the fifth item.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QList<TMenuItem*>& items = UnitMenu->Items;
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (qsizetype i = 0; i + 1 < items.size(); ++i) {
      TMenuItem* a = items[i];
      TMenuItem* b = items[i + 1];
      if (QString::compare(a->Caption, b->Caption, Qt::CaseSensitive) > 0) {
        std::swap(a->Caption, b->Caption);
        std::swap(a->ImageIndex, b->ImageIndex);
        std::swap(a->Tag, b->Tag);
        swapped = true;
      }
    }
  }
  QApplication::restoreOverrideCursor();
}
