#include "unitwin.h"

#include "columnmenu.h"
#include "dialogs.h"
#include "fieldranges.h"
#include "formparts.h"
#include "hexedit.h"
#include "spinedit.h"
#include "stringtable.h"
#include "webpage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace {

// Where the rows stand on the panel.
constexpr int kStripRight = 80;
constexpr int kCaptionX = 10, kSpinX = 88, kSliderX = 144, kRightLabelX = 304;
constexpr int kSpinW = 57, kSpinH = 22, kSliderW = 150, kSliderH = 22, kBoxSize = 15;
constexpr int kRowTops[] = {11, 36, 61, 87, 114, 143, 169};
constexpr int kCheckTops[] = {196, 216, 235};
constexpr int kOwnerX[] = {88, 160, 224, 304};

void SetHint(QWidget* widget, const QString& hint) {
  widget->setToolTip(hint);
  widget->setStatusTip(hint);
}

// One row of the panel: a caption and a spin edit, and on most rows a slider between two end
// labels. A slider's maximum is its own or, where the windows differ, the design's.
struct PanelRow {
  QLabel* TUnitSettingsWin::*caption;
  const char* captionName;
  const char* captionText;
  TSpinEdit* TUnitSettingsWin::*spin;
  const char* spinName;
  const char16_t* field;  // its range in the field range table; none: any 32-bit number
  const char* hint;
  QSlider* TUnitSettingsWin::*slider = nullptr;
  const char* sliderName = nullptr;
  int sliderMax = 0;
  int UnitWindowDesign::*designSliderMax = nullptr;
  int ticks = 1;
  const char* sliderHint = nullptr;  // none: the row's hint
  bool inverted = false;             // the slider runs the other way
  QLabel* TUnitSettingsWin::*low = nullptr;
  const char* lowName = nullptr;
  const char* lowText = nullptr;
  QLabel* TUnitSettingsWin::*high = nullptr;
  const char* highName = nullptr;
  const char* highText = nullptr;
};

using W = TUnitSettingsWin;
const PanelRow kPanelRows[] = {
    {&W::L_Cost, "L_Cost", "Cost", &W::SE_Cost, "SE_Cost", nullptr, "Price Of Unit"},
    {&W::L_Health, "L_Health", "Health", &W::SE_Health, "SE_Health", nullptr,
     "Health (or Strength) of unit"},
    {&W::L_Sight,
     "L_Sight",
     "Sight",
     &W::SE_Sight,
     "SE_Sight",
     u"Sight",
     "Range around the unit that it reveals the shroud",
     &W::TB_Sight,
     "TB_Sight",
     0,
     &UnitWindowDesign::sightSliderMax,
     1,
     nullptr,
     false,
     &W::L_SightMin,
     "L_SightMin",
     "Min (None)",
     &W::L_SightMax,
     "L_SightMax",
     "Max"},
    {&W::L_Armor,
     "L_Armor",
     "Armor",
     &W::SE_Armor,
     "SE_Armor",
     u"Armor",
     "Armor Strength (N.B. Max means they are invincible!)",
     &W::TB_Armor,
     "TB_Armor",
     0,
     &UnitWindowDesign::armorSliderMax,
     1,
     nullptr,
     false,
     &W::L_ArmorMin,
     "L_ArmorMin",
     "Min (None)",
     &W::L_ArmorMax,
     "L_ArmorMax",
     "Max"},
    {&W::L_ROT,
     "L_ROT",
     "Rate Of Turn",
     &W::SE_ROT,
     "SE_ROT",
     u"RateOfTurn",
     "Speed That The Unit Turns",
     &W::TB_ROT,
     "TB_ROT",
     15,
     nullptr,
     1,
     nullptr,
     false,
     &W::L_ROTFast,
     "L_ROTFast",
     "Fast",
     &W::L_ROTSlow,
     "L_ROTSlow",
     "Slow"},
    // Build speed runs the other way: "Fast" (stored 255) stands at the slider's left end.
    {&W::L_BuildSpeed,
     "L_BuildSpeed",
     "Build Speed",
     &W::SE_BuildSpeed,
     "SE_BuildSpeed",
     u"BuildSpeed",
     "The Rate At Which The Unit Is Built (0 = Slow, 255 = Fast)",
     &W::TB_BuildSpeed,
     "TB_BuildSpeed",
     255,
     nullptr,
     10,
     "The Rate At Which The Unit Is Built",
     true,
     &W::L_BSFast,
     "L_BSFast",
     "Fast",
     &W::L_BSSlow,
     "L_BSSlow",
     "Slow"},
    {&W::Label2,
     "Label2",
     "Firing Speed",
     &W::SE_FireSpeed,
     "SE_FireSpeed",
     u"FireSpeed",
     "The Rate At Which The Unit Fires It's Weapon",
     &W::TB_FireSpeed,
     "TB_FireSpeed",
     255,
     nullptr,
     10,
     nullptr,
     false,
     &W::L_FSFast,
     "L_FSFast",
     "Fastest",
     &W::L_FSSlow,
     "L_FSSlow",
     "Slowest"},
};

}  // namespace

TUnitSettingsWin::TUnitSettingsWin(QMdiArea* frame, const UnitWindowDesign& design)
    : TSaltmarchSettingsWin(nullptr), design_(design) {
  setObjectName(QString::fromLatin1(design.windowName));
  setAttribute(Qt::WA_DeleteOnClose);
  // A single-line border with the system menu and minimise button, no maximise.
  setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(LoadStr(design.titleId));

  CtrlBar_Infs = Named(new QMainWindow(nullptr, Qt::Widget), "CtrlBar_Infs");
  Client = Named(new QWidget(CtrlBar_Infs), "Client");
  CtrlBar_Infs->setCentralWidget(Client);
  BuildToolbar();
  BuildPanel();
  setWidget(CtrlBar_Infs);
  for (QLineEdit* field : CtrlBar_Infs->findChildren<QLineEdit*>()) field->installEventFilter(this);
  if (frame) frame->addSubWindow(this);
  // Sized once it sits in the frame: only then does it have its frame and title bar.
  SetClientSize(design.clientWidth, design.controlBarHeight + design.panelHeight);
}

TUnitSettingsWin::~TUnitSettingsWin() = default;

// ---- building the form ----

void TUnitSettingsWin::BuildToolbar() {
  Toolbar = Named(new QToolBar(QString::fromLatin1(design_.toolbarCaption), CtrlBar_Infs),
                  design_.toolbarName);
  Toolbar->setMovable(true);
  Toolbar->setFloatable(true);
  Toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  Toolbar->setFixedHeight(design_.controlBarHeight);
  Toolbar->setAllowedAreas(Qt::TopToolBarArea);
  CtrlBar_Infs->addToolBar(Qt::TopToolBarArea, Toolbar);
  connect(Toolbar, &QToolBar::topLevelChanged, this, [this] { CtrlBar_InfsResize(); });

  PMnuFormMode = Named(new QMenu(this), "PMnuFormMode");
  MnuEditMode = Named(PMnuFormMode->addMenu(QStringLiteral("Edit Mode")), "MnuEditMode");
  MnuEditModeNov = Named(MnuEditMode->addAction(QStringLiteral("&Novice")), "MnuEditModeNov");
  MnuEditModeAdv = Named(MnuEditMode->addAction(QStringLiteral("&Advanced")), "MnuEditModeAdv");
  MnuEditModePwr = Named(MnuEditMode->addAction(QStringLiteral("&Power User")), "MnuEditModePwr");
  for (QAction* item : {MnuEditModeNov, MnuEditModeAdv, MnuEditModePwr}) item->setCheckable(true);
  MnuEditModePwr->setEnabled(false);  // not offered to users in this version
  connect(MnuEditModeNov, &QAction::triggered, this, &TUnitSettingsWin::MnuEditModeNovClick);
  connect(MnuEditModeAdv, &QAction::triggered, this, &TUnitSettingsWin::MnuEditModeAdvClick);
  connect(MnuEditModePwr, &QAction::triggered, this, &TUnitSettingsWin::MnuEditModePwrClick);

  const auto button = [this](const char* name, const QString& caption, const QString& hint) {
    auto* b = Named(new QToolButton(Toolbar), name);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setFixedHeight(21);
    if (!hint.isEmpty()) SetHint(b, hint);
    Toolbar->addWidget(b);
    return b;
  };
  ToolButton3 = button("ToolButton3", QStringLiteral("Edit Mode"), QString());
  ToolButton3->setMenu(MnuEditMode);
  ToolButton3->setPopupMode(QToolButton::InstantPopup);
  Toolbar->addSeparator()->setObjectName(QStringLiteral("ToolButton4"));
  B_Save =
      button("B_Save", QStringLiteral("&Save Settings"), QStringLiteral("Save Settings To Disk"));
  Toolbar->addSeparator()->setObjectName(QStringLiteral("ToolButton9"));
  B_Prev = button("B_Prev", QStringLiteral("<-"), QStringLiteral("Previous Unit (CTRL + B)"));
  // Alt+S belongs to "&Save Settings", the first button with that accelerator (see event), so
  // Select Unit shows no access key it could never answer; Tab and Space reach it.
  B_Select =
      button("B_Select", QStringLiteral("Select Unit"), QStringLiteral("Select A Unit To Edit"));
  B_Save->setShortcut(QKeySequence());
  B_Next = button("B_Next", QStringLiteral("->"), QStringLiteral("Next Unit (CTRL + N)"));
  Toolbar->addSeparator()->setObjectName(QStringLiteral("tbEOTbInfs"));

  connect(B_Save, &QToolButton::clicked, this, &TUnitSettingsWin::B_SaveClick);
  connect(B_Prev, &QToolButton::clicked, this, &TUnitSettingsWin::B_PrevClick);
  connect(B_Select, &QToolButton::clicked, this, &TUnitSettingsWin::B_SelectClick);
  connect(B_Next, &QToolButton::clicked, this, &TUnitSettingsWin::B_NextClick);

  UnitMenu = Named(new TColumnMenu(this), design_.unitMenuName);
}

void TUnitSettingsWin::BuildPanel() {
  P_Infs = Named(new QWidget(Client), "P_Infs");
  P_Infs->setGeometry(0, 0, design_.clientWidth, design_.panelHeight);

  Label1 = Named(new QLabel(P_Infs), "Label1");
  Label1->setGeometry(4, 5, 76, 251);
  Label1->setAutoFillBackground(true);
  QPalette strip = Label1->palette();
  strip.setColor(QPalette::Window, strip.color(QPalette::Dark));
  Label1->setPalette(strip);

  // All row captions share one size: 12 pixels, or less where the longest would leave the strip.
  QFont captionFont = P_Infs->font();
  captionFont.setPixelSize(12);
  captionFont = FontFittingWidth(captionFont,
                                 {QStringLiteral("Rate Of Turn"), QStringLiteral("Firing Speed"),
                                  QStringLiteral("Build Speed"), QStringLiteral("Self Healing")},
                                 kStripRight - kCaptionX - 2);
  const auto caption = [this, captionFont](const char* name, const QString& text, int top) {
    auto* label = Named(new QLabel(text, P_Infs), name);
    label->setFont(captionFont);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
    label->setPalette(palette);
    label->move(kCaptionX, top + 3);
    label->adjustSize();
    return label;
  };
  const auto spin = [this](const char* name, int top, const char16_t* field, const QString& hint) {
    auto* s = Named(new TSpinEdit(P_Infs), name);
    s->setGeometry(kSpinX, top, kSpinW, kSpinH);
    // Cost and Health take any 32-bit number: a spin edit without limits.
    if (field) {
      const FieldRange range = *UnitFieldRange(design_.kind, field);
      s->SetRange(std::int32_t(range.min), std::int32_t(range.max));
    }
    SetHint(s, hint);
    return s;
  };
  const auto slider = [this](const char* name, int top, int hi, int ticks, const QString& hint) {
    auto* t = Named(new QSlider(Qt::Horizontal, P_Infs), name);
    t->setGeometry(kSliderX, top, kSliderW, kSliderH);
    t->setRange(0, hi);
    t->setTickPosition(QSlider::TicksAbove);
    t->setTickInterval(ticks);
    SetHint(t, hint);
    return t;
  };
  const auto endLabel = [this](const char* name, const QString& text, int x, int top) {
    auto* label = Named(new QLabel(text, P_Infs), name);
    // A left-hand label ends where its slider begins.
    if (x == kSpinX) FitFontToWidth(label, text, kSliderX - kSpinX - 2);
    label->move(x, top + 4);
    label->adjustSize();
    return label;
  };
  const auto box = [this](const char* name, int x, int top, const QString& hint) {
    auto* b = Named(new QCheckBox(P_Infs), name);
    b->setGeometry(x, top, kBoxSize, kBoxSize);
    if (!hint.isEmpty()) SetHint(b, hint);
    return b;
  };

  for (int row = 0; row < int(std::size(kPanelRows)); ++row) {
    const PanelRow& r = kPanelRows[row];
    const int top = kRowTops[row];
    const QString hint = QString::fromLatin1(r.hint);
    this->*r.caption = caption(r.captionName, QString::fromLatin1(r.captionText), top);
    this->*r.spin = spin(r.spinName, top, r.field, hint);
    if (!r.slider) continue;
    const int max = r.sliderMax ? r.sliderMax : design_.*r.designSliderMax;
    // A page is ten steps, the slider's own default.
    this->*r.slider = slider(r.sliderName, top, max, r.ticks,
                             r.sliderHint ? QString::fromLatin1(r.sliderHint) : hint);
    this->*r.low = endLabel(r.lowName, QString::fromLatin1(r.lowText), kSpinX, top);
    this->*r.high = endLabel(r.highName, QString::fromLatin1(r.highText), kRightLabelX, top);
  }

  L_SelfHeal = caption("L_SelfHeal", QStringLiteral("Self Healing"), kCheckTops[0] - 2);
  KB_SelfHeal = box("KB_SelfHeal", kSpinX, kCheckTops[0],
                    QStringLiteral("Does The Unit Repair Itself To Half Health?"));
  Label7 = caption("Label7", QStringLiteral("Inaccurate"), kCheckTops[1] - 2);
  KB_Inaccurate =
      box("KB_Inaccurate", kSpinX, kCheckTops[1], QStringLiteral("Is The Weapon Inaccurate"));
  L_Owners = caption("L_Owners", QStringLiteral("Owners"), kCheckTops[2] - 2);
  KB_Atreides = box("KB_Atreides", kOwnerX[0], kCheckTops[2], QString());
  KB_Ordos = box("KB_Ordos", kOwnerX[1], kCheckTops[2], QString());
  KB_Harkonnen = box("KB_Harkonnen", kOwnerX[2], kCheckTops[2], QString());
  KB_Imperial = box("KB_Imperial", kOwnerX[3], kCheckTops[2], QString());
  Label8 = endLabel("Label8", QStringLiteral("Atreidies"), kOwnerX[0] + 16, kCheckTops[2] - 4);
  Label9 = endLabel("Label9", QStringLiteral("Ordos"), kOwnerX[1] + 16, kCheckTops[2] - 4);
  L_Hark = endLabel("L_Hark", QStringLiteral("Harkonnen"), kOwnerX[2] + 16, kCheckTops[2] - 4);
  Label10 = endLabel("Label10", QStringLiteral("Emperor"), kOwnerX[3] + 16, kCheckTops[2] - 4);
  // The game has no owner bit for the Emperor.
  KB_Imperial->setVisible(false);
  Label10->setVisible(false);

  for (const PanelRow& r : kPanelRows) {
    if (r.slider) {
      PairSpinAndSlider(this->*r.spin, this->*r.slider, r.inverted);
      ShowValueOnSlider(this->*r.spin, this->*r.slider, (this->*r.caption)->text());
    }
    // The spin edit holds the row's value whether the user typed or moved the slider.
    TSpinEdit* field = this->*r.spin;
    connect(field, &TSpinEdit::Change, this, [this, field] { MarkEdited(field); });
  }
  for (QCheckBox* b : {KB_SelfHeal, KB_Inaccurate, KB_Atreides, KB_Ordos, KB_Harkonnen}) {
    connect(b, &QCheckBox::toggled, this, [this, b] { MarkEdited(b); });
  }
}

void TUnitSettingsWin::PairSpinAndSlider(TSpinEdit* spin, QSlider* slider, bool inverted) {
  // Each side sets the other only on a real change, so the exchange ends after one return trip.
  connect(spin, &TSpinEdit::Change, slider, [spin, slider, inverted] {
    slider->setValue(inverted ? 255 - spin->Value() : spin->Value());
  });
  connect(slider, &QSlider::valueChanged, spin,
          [spin, inverted](int position) { spin->SetValue(inverted ? 255 - position : position); });
}

void TUnitSettingsWin::ShowValueOnSlider(TSpinEdit* spin, QSlider* slider, const QString& caption) {
  // Novice mode shows no number, so the slider tells the value it stands for: in its tooltip,
  // below the hint, and beside its handle while the user moves it.
  const QString hint = slider->toolTip();
  const auto describe = [spin, slider, hint, caption] {
    slider->setToolTip(hint + QChar(u'\n') + caption + QStringLiteral(": ") + spin->Text());
  };
  describe();
  connect(spin, &TSpinEdit::Change, slider, describe);
  const auto follow = [spin, slider] {
    if (!slider->isSliderDown() && !slider->hasFocus()) return;
    const int handle = slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider);
    const int x =
        QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(),
                                        slider->sliderPosition(), slider->width() - handle) +
        handle / 2;
    QToolTip::showText(slider->mapToGlobal(QPoint(x, slider->height() / 2)), spin->Text(), slider);
  };
  // After the pairing: the spin edit already holds the value.
  connect(slider, &QSlider::valueChanged, slider, follow);
  connect(slider, &QSlider::sliderPressed, slider, follow);
}

// ---- sizes ----

QSize TUnitSettingsWin::ClientSize() const {
  return CtrlBar_Infs->size();
}

void TUnitSettingsWin::SetClientSize(int width, int height) {
  // The window keeps its frame and title bar in its contents margins.
  const QMargins margins = contentsMargins();
  const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
  CtrlBar_Infs->setFixedSize(width, height);
  setFixedSize(QSize(width, height) + frame);
}

void TUnitSettingsWin::CtrlBar_InfsResize() {
  // The panel keeps its size whether the toolbar is docked or floats.
  const int bar = Toolbar->isFloating() ? 0 : design_.controlBarHeight;
  const int content = tag_ ? FRawView->height() : design_.panelHeight;
  SetClientSize(ClientSize().width(), bar + content);
}

bool TUnitSettingsWin::CtrlBar_InfsDockOver(const QString& controlName) const {
  return controlName == Toolbar->objectName();
}

// ---- creation and reset ----

void TUnitSettingsWin::FormCreate() {
  SetEditMode(emNovice);
  OnReset = [this](TSaltmarchSettingsWin* sender) { OnResetAll(sender); };
  connect(SaltmarchApp->Document.get(), &TUnitDocument::UnitChanged, this,
          &TUnitSettingsWin::FollowUnit);
  FCurrentUnit = 0;
  OnResetAll(this);
  // The store has already said why the units could not be read; a window of empty records
  // would only invite saving them over the game's.
  if (!UnitsReady()) {
    deleteLater();
    return;
  }
  show();
}

void TUnitSettingsWin::FollowUnit(std::uint8_t kind, int index) {
  if (kind != design_.kind || index != FCurrentUnit) return;
  if (FRawView) FRawView->ShowBytes(SaltmarchApp->Store->UnitRawData(kind, index));
  TUnitTemplate unit;
  GetUnit(index, unit);
  if (!AnyEdited()) {
    ShowUnit(unit);
    return;
  }
  // A field the user edited and has not saved stays the user's; the others follow.
  Showing showing(*this);
  const auto follow = [this](TSpinEdit* field, int value) {
    if (!Edited(field)) field->SetValue(value);
  };
  const auto tick = [this](QCheckBox* box, bool on) {
    if (!Edited(box)) box->setChecked(on);
  };
  follow(SE_Cost, unit.Cost);
  follow(SE_Health, unit.Health);
  follow(SE_Sight, unit.Sight);
  follow(SE_Armor, unit.Armor);
  follow(SE_ROT, unit.RateOfTurn);
  follow(SE_BuildSpeed, unit.BuildSpeed);
  follow(SE_FireSpeed, unit.FireSpeed);
  tick(KB_SelfHeal, unit.SelfHeal);
  tick(KB_Inaccurate, unit.Inaccurate);
  // The three houses are one field: they follow together or not at all.
  if (!Edited(KB_Atreides) && !Edited(KB_Ordos) && !Edited(KB_Harkonnen)) {
    KB_Atreides->setChecked(unit.Owners & 1u);
    KB_Ordos->setChecked(unit.Owners & 2u);
    KB_Harkonnen->setChecked(unit.Owners & 4u);
  }
}

void TUnitSettingsWin::OnResetAll(TSaltmarchSettingsWin*) {
  SaltmarchApp->Store->LoadUnits(design_.kind);
  FillUnitMenu();
  TUnitTemplate unit;
  GetUnit(FCurrentUnit == 0 ? 1 : FCurrentUnit, unit);
  ShowUnit(unit);
  EnableEditing(UnitsReady());
}

bool TUnitSettingsWin::UnitsReady() const {
  return SaltmarchApp && SaltmarchApp->Store->UnitsLoaded(design_.kind);
}

void TUnitSettingsWin::EnableEditing(bool on) {
  Client->setEnabled(on);
  B_Save->setEnabled(on);
  B_Select->setEnabled(on);
  if (!on) {
    B_Prev->setEnabled(false);
    B_Next->setEnabled(false);
  }
}

void TUnitSettingsWin::GetUnit(int i, TUnitTemplate& unit) const {
  SaltmarchApp->Store->GetUnit(design_.kind, i, unit);
}

// ---- edit modes ----

void TUnitSettingsWin::ApplyEditMode() {
  if (tag_ != 0) {
    delete FRawView;
    FRawView = nullptr;
    SetClientSize(FSavedWidth, FSavedHeight);
    tag_ = 0;
    P_Infs->show();
  }
  const bool novice = FEditMode == emNovice;
  for (QWidget* w :
       std::initializer_list<QWidget*>{SE_Sight, SE_Armor, SE_ROT, SE_BuildSpeed, SE_FireSpeed}) {
    w->setVisible(!novice);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           L_SightMin, L_SightMax, L_ArmorMin, L_ArmorMax, L_ROTSlow, L_ROTFast, L_BSSlow, L_BSFast,
           L_FSSlow, L_FSFast, TB_Sight, TB_Armor, TB_ROT, TB_BuildSpeed, TB_FireSpeed}) {
    w->setVisible(novice);
  }
  MnuEditModeNov->setChecked(FEditMode == emNovice);
  MnuEditModeAdv->setChecked(FEditMode == emAdvanced);
  MnuEditModePwr->setChecked(FEditMode == emPowerUser);

  if (FEditMode == emPowerUser) {
    P_Infs->hide();
    FRawView = new TF_HexEdit(this);
    tag_ = 1;
    FSavedWidth = ClientSize().width();
    FSavedHeight = ClientSize().height();
    const int bar = Toolbar->isFloating() ? 0 : design_.controlBarHeight;
    SetClientSize(FRawView->width(), FRawView->height() + bar);
    const int unit = FCurrentUnit == 0 ? 1 : FCurrentUnit;
    FRawView->Attach(Client, SaltmarchApp->Store->UnitRawData(design_.kind, unit), 1);
  }
}

// ---- showing and reading a unit ----

bool TUnitSettingsWin::ConfirmDroppingChanges() {
  if (!HasChanges()) return true;
  switch (MessageDlg(MsgKind::Confirmation, LoadStr(Str::SaveChangesQuestion),
                     mbYes | mbNo | mbCancel)) {
    case MsgResult::Yes:
      // A number that can't be saved keeps the user here to put it right.
      return SaveShownUnit();
    case MsgResult::No:
      return true;
    default:
      return false;
  }
}

void TUnitSettingsWin::ShowUnit(const TUnitTemplate& given) {
  const int shownBefore = FCurrentUnit;
  if (!ConfirmDroppingChanges()) return;
  Showing showing(*this);
  TUnitTemplate unit = given;
  // The record was taken before the question; when it is the unit just saved, show what the
  // store holds now, or the window would show the old values and put them back on the next save.
  if (unit.Index == shownBefore) GetUnit(unit.Index, unit);

  SE_Cost->SetValue(unit.Cost);
  SE_Health->SetValue(unit.Health);
  SE_Sight->SetValue(unit.Sight);
  SE_Armor->SetValue(unit.Armor);
  SE_ROT->SetValue(unit.RateOfTurn);
  KB_SelfHeal->setChecked(unit.SelfHeal);
  KB_Inaccurate->setChecked(unit.Inaccurate);
  KB_Atreides->setChecked(unit.Owners & 1u);
  KB_Ordos->setChecked(unit.Owners & 2u);
  KB_Harkonnen->setChecked(unit.Owners & 4u);
  KB_Imperial->setChecked(unit.Owners & 8u);
  SE_BuildSpeed->SetValue(unit.BuildSpeed);
  SE_FireSpeed->SetValue(unit.FireSpeed);

  setWindowTitle(LoadStr(design_.titleId) + QStringLiteral(" - [") +
                 UnitName(design_.kind, unit.Index) + QStringLiteral("]"));
  FCurrentUnit = unit.Index;
  B_Prev->setEnabled(FCurrentUnit != 1);
  B_Next->setEnabled(FCurrentUnit != UnitCountOf(design_.kind));
  ForgetEdits();
  UnitShown();
}

void TUnitSettingsWin::ReadControls(TUnitTemplate& unit) {
  GetUnit(FCurrentUnit, unit);
  unit.Changed = false;
  // The spin edits, not the sliders, hold the values; a number still beyond its field's range
  // (typed, not yet left) counts as the nearest one the field takes. A control the user did not
  // edit keeps the record's value, however the window shows it.
  const auto take = [&unit](auto& field, auto value, bool edited) {
    if (!edited) return;
    using Field = std::remove_reference_t<decltype(field)>;
    const Field v = static_cast<Field>(value);
    if (field != v) unit.Changed = true;
    field = v;
  };
  const auto spin = [&take, this](auto& field, const TSpinEdit* control) {
    take(field, control->ClampedValue(), Edited(control));
  };
  spin(unit.Health, SE_Health);
  spin(unit.Cost, SE_Cost);
  spin(unit.BuildSpeed, SE_BuildSpeed);
  spin(unit.FireSpeed, SE_FireSpeed);
  spin(unit.Armor, SE_Armor);
  spin(unit.RateOfTurn, SE_ROT);
  spin(unit.Sight, SE_Sight);
  take(unit.Inaccurate, KB_Inaccurate->isChecked(), Edited(KB_Inaccurate));
  take(unit.SelfHeal, KB_SelfHeal->isChecked(), Edited(KB_SelfHeal));
  // The three boxes are one field; the game has no owner bit for the Emperor.
  const auto owners =
      std::uint8_t((KB_Atreides->isChecked() ? 1 : 0) | (KB_Ordos->isChecked() ? 2 : 0) |
                   (KB_Harkonnen->isChecked() ? 4 : 0));
  take(unit.Owners, owners, Edited(KB_Atreides) || Edited(KB_Ordos) || Edited(KB_Harkonnen));
}

bool TUnitSettingsWin::HasChanges() {
  if (FResetting || FCurrentUnit == 0 || !UnitsReady() || !AnyEdited()) return false;
  TUnitTemplate scratch;
  ReadControls(scratch);
  return scratch.Changed;
}

// ---- saving and navigation ----

void TUnitSettingsWin::B_SaveClick() {
  SaveShownUnit();
}

bool TUnitSettingsWin::SaveShownUnit() {
  if (FCurrentUnit == 0 || !UnitsReady()) return true;
  if (!EditedNumbersValid()) return false;
  TUnitTemplate unit;
  ReadControls(unit);
  // Either way, what the edited controls hold is now what the store holds.
  ForgetEdits();
  if (!unit.Changed) return true;
  // The document tells every view of the unit, this window included, what it holds now.
  SaltmarchApp->Document->SaveUnit(design_.kind, FCurrentUnit, unit);
  SaltmarchApp->ShowHint(1);
  return true;
}

bool TUnitSettingsWin::EditedNumbersValid() {
  for (const PanelRow& r : kPanelRows) {
    TSpinEdit* field = this->*r.spin;
    if (!Edited(field) || field->HoldsValidNumber()) continue;
    MessageDlg(MsgKind::Warning,
               LoadStr(Str::NotAWholeNumber)
                   .arg((this->*r.caption)->text(), QString::number(field->Lowest()),
                        QString::number(field->Highest())),
               mbOK);
    field->setFocus();
    return false;
  }
  return true;
}

void TUnitSettingsWin::B_PrevClick() {
  TUnitTemplate unit;
  GetUnit(FCurrentUnit - 1, unit);
  ShowUnit(unit);
}

void TUnitSettingsWin::B_NextClick() {
  TUnitTemplate unit;
  GetUnit(FCurrentUnit + 1, unit);
  ShowUnit(unit);
}

void TUnitSettingsWin::B_SelectClick() {
  UnitMenu->Popup(B_Select->mapToGlobal(QPoint(B_Select->width(), B_Select->height())));
}

void TUnitSettingsWin::PopupClickWrapper() {
  if (auto* item = qobject_cast<TMenuItem*>(sender())) {
    TUnitTemplate unit;
    GetUnit(item->Tag, unit);
    ShowUnit(unit);
  }
}

void TUnitSettingsWin::FormKeyUp(int key, Qt::KeyboardModifiers modifiers) {
  if (!(modifiers & Qt::ControlModifier)) return;
  if (key == Qt::Key_B && B_Prev->isEnabled()) B_PrevClick();
  if (key == Qt::Key_N && B_Next->isEnabled()) B_NextClick();
}

bool TUnitSettingsWin::WindowKey(QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::ShortcutOverride || type == QEvent::KeyPress) {
    // Alt+S is "&Save Settings" while the user works in this window, although the frame's
    // "&Settings" menu carries the same accelerator: claiming the key keeps it from the frame's
    // shortcuts.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_S && key->modifiers() == Qt::AltModifier) {
      if (type == QEvent::KeyPress && B_Save->isEnabled()) B_Save->animateClick();
      event->accept();
      return true;
    }
  } else if (type == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) FormKeyUp(key->key(), key->modifiers());
  }
  return false;
}

bool TUnitSettingsWin::event(QEvent* event) {
  // Keys the focused control leaves alone travel up to the window.
  return WindowKey(event) || TSaltmarchSettingsWin::event(event);
}

bool TUnitSettingsWin::eventFilter(QObject* watched, QEvent* event) {
  // A line edit keeps the keys it gets, typing included, so the window hears its spin edits'
  // fields first; what a field keeps never travels on to the window a second time.
  if (qobject_cast<QLineEdit*>(watched) && WindowKey(event)) return true;
  return TSaltmarchSettingsWin::eventFilter(watched, event);
}

// ---- closing ----

void TUnitSettingsWin::closeEvent(QCloseEvent* event) {
  if (!ConfirmDroppingChanges()) {
    event->ignore();
    return;
  }
  FormClosing();
  TSaltmarchSettingsWin::closeEvent(event);
}
