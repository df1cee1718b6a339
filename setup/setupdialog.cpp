#include "setupdialog.h"

#include "desktoplink.h"
#include "fontfit.h"
#include "installfolders.h"
#include "setupbox.h"
#include "setupstrings.h"
#include "startup.h"
#include "textformat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QValidator>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Kind { Icon, Text, CentredText, Group, Edit, DefaultButton, Button, Progress };

struct TemplateControl {
  int id;  // 0: a control nobody refers to
  Kind kind;
  const char16_t* text;
  int x, y, width, height;  // dialog units
};

// The "SetupDlg" template: 295 x 158 dialog units in 10-point "MS Sans Serif".
constexpr int kTemplateWidth = 295, kTemplateHeight = 158;
constexpr TemplateControl kSetupDlg[] = {
    {0, Kind::Icon, u"SetupIcon", 6, 5, 14, 16},
    {SetupDlg::kWelcome, Kind::Text, u"Welcome To %s Setup Program", 28, 8, 262, 9},
    {0, Kind::Group, u"Program Location:", 5, 22, 285, 66},
    {0, Kind::Text,
     u"- If you are installing a new system enter the location in which to place the program", 9,
     32, 276, 8},
    {0, Kind::Text,
     u"- If you are updating an existing system enter the location in which it was first "
     u"installed",
     9, 42, 276, 8},
    {SetupDlg::kLocation, Kind::Edit, u"", 9, 55, 277, 11},
    {SetupDlg::kOk, Kind::DefaultButton, u"&OK", 9, 71, 28, 12},
    {SetupDlg::kCancel, Kind::Button, u"&Cancel", 258, 71, 28, 12},
    {0, Kind::Group, u"Progress:", 5, 89, 285, 55},
    {SetupDlg::kStatus, Kind::Text, u"", 10, 102, 277, 11},
    {0, Kind::Text, u"Current File:", 12, 116, 45, 8},
    {SetupDlg::kFileBar, Kind::Progress, u"", 58, 115, 228, 10},
    {0, Kind::Text, u"Overall:", 12, 130, 45, 8},
    {SetupDlg::kOverallBar, Kind::Progress, u"", 58, 129, 228, 10},
    {SetupDlg::kNotice, Kind::CentredText,
     u"%s is Copyright \u00A9 1998 Pellworth Software. All Rights Reserved.", 5, 147, 283, 8},
};

constexpr int kTypingLimit = 200;

// Typing stops at the limit, but a longer text that the program put in stays whole (and may
// be shortened).
class TypingLimit final : public QValidator {
 public:
  TypingLimit(QLineEdit* edit, int limit)
      : QValidator(edit), limit_(limit), last_(edit->text().size()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { last_ = text.size(); });
  }
  State validate(QString& input, int&) const override {
    return input.size() <= limit_ || input.size() <= last_ ? Acceptable : Invalid;
  }

 private:
  qsizetype limit_;
  qsizetype last_;
};

// Dialog units into pixels, from the font's average character width and height.
struct DialogUnits {
  explicit DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s);
    baseX = (alphabet / 26 + 1) / 2;
    baseY = metrics.height();
  }
  int X(int units) const { return units * baseX / 4; }
  int Y(int units) const { return units * baseY / 8; }
  QRect Rect(const TemplateControl& c) const {
    return QRect(X(c.x), Y(c.y), X(c.width), Y(c.height));
  }
  int baseX = 6, baseY = 13;
};

}  // namespace

SetupEnvironment SystemEnvironment() {
  SetupEnvironment env;
  env.sourceFolder = QDir::toNativeSeparators(QDir::currentPath());
  env.windowsFolder = WindowsFolder();
  env.systemFolder = SystemFolder();
  env.desktopFolder = DesktopFolder();
  return env;
}

DiskAnswer AskForDiskInABox(InstallerUi& ui, const QString& prompt) {
  for (;;) {
    if (ui.ShowSetupMessage(kBoxOkCancel | kIconExclamation, SetupRef(smSetup), prompt) == idOk)
      return DiskAnswer::Look;
    if (ui.ShowSetupMessage(kBoxYesNo | kIconExclamation, SetupRef(smWarning),
                            SetupRef(smAbortQuestion)) == idYes)
      return DiskAnswer::GiveUp;
  }
}

SetupDlg::SetupDlg(SetupEnvironment environment) : env_(std::move(environment)) {
  setObjectName(u"SetupDlg"_s);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(u"Setup v1.05"_s);
  setWindowIcon(style()->standardIcon(QStyle::SP_DriveFDIcon));
  QFont font(u"MS Sans Serif"_s, 10);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  BuildFromTemplate();

  state_.windowsFolder = env_.windowsFolder;
  state_.systemFolder = env_.systemFolder;
  state_.desktopFolder = env_.desktopFolder;
  state_.runner = env_.runner;

  // Centred on the screen at creation.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

SetupDlg::~SetupDlg() = default;

void SetupDlg::BuildFromTemplate() {
  const DialogUnits units(font());
  setFixedSize(units.X(kTemplateWidth), units.Y(kTemplateHeight));
  for (const TemplateControl& c : kSetupDlg) {
    const QString text = QString::fromUtf16(c.text);
    QWidget* control = nullptr;
    switch (c.kind) {
      case Kind::Icon: {
        auto* icon = new QLabel(this);
        const QRect r = units.Rect(c);
        icon->setPixmap(windowIcon().pixmap(qMin(r.width(), r.height()) * 2));
        icon->setScaledContents(false);
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = icon;
        break;
      }
      case Kind::Text:
      case Kind::CentredText: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((c.kind == Kind::CentredText ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        // The designed width stays; a text too long for it in this font gets a smaller one.
        FitFontToWidth(label, text, units.Rect(c).width());
        control = label;
        break;
      }
      case Kind::Group:
        control = new QGroupBox(text, this);
        control->lower();
        break;
      case Kind::Edit: {
        auto* edit = new QLineEdit(this);
        control = edit;
        break;
      }
      case Kind::DefaultButton:
      case Kind::Button: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(c.kind == Kind::DefaultButton);
        button->setDefault(c.kind == Kind::DefaultButton);
        control = button;
        break;
      }
      case Kind::Progress: {
        auto* bar = new QProgressBar(this);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        control = bar;
        break;
      }
    }
    control->setGeometry(units.Rect(c));
    if (c.id != 0) control->setObjectName(QString::number(c.id));
  }

  E_Location = findChild<QLineEdit*>(QString::number(kLocation));
  B_OK = findChild<QPushButton*>(QString::number(kOk));
  B_Cancel = findChild<QPushButton*>(QString::number(kCancel));
  L_Status = findChild<QLabel*>(QString::number(kStatus));
  PB_File = findChild<QProgressBar*>(QString::number(kFileBar));
  PB_Overall = findChild<QProgressBar*>(QString::number(kOverallBar));
  L_Welcome = findChild<QLabel*>(QString::number(kWelcome));
  L_Notice = findChild<QLabel*>(QString::number(kNotice));
  // The group boxes lie behind the controls they frame.
  for (QGroupBox* group : findChildren<QGroupBox*>()) group->lower();

  connect(B_OK, &QPushButton::clicked, this, &SetupDlg::B_OKClick);
  connect(B_Cancel, &QPushButton::clicked, this, &SetupDlg::close);
}

void SetupDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The start-up work runs once the window is on the screen, so its messages have an owner.
  if (!initialised_ && !startupQueued_) {
    startupQueued_ = true;
    QMetaObject::invokeMethod(this, &SetupDlg::StartUp, Qt::QueuedConnection);
  }
}

void SetupDlg::StartUp() {
  state_.currentDisk = 1;
  state_.sourceFolder = env_.sourceFolder;
  ShowSourceFolder();

  const LoadFailure failure = LoadScript(state_.sourceFolder, state_.buffer, script_,
                                         env_.allocate ? env_.allocate : AllocateWorkingBuffer);
  if (failure) {
    ShowSetupMessage(0, SetupRef(smError), failure.Text());
    EndSetup();
    return;
  }

  setWindowTitle(SetupString(smSetup) + u" - "_s + script_.productName);
  L_Welcome->setText(Format(L_Welcome->text(), {script_.productName}));
  L_Notice->setText(Format(L_Notice->text(), {script_.productName}));
  E_Location->setText(script_.defaultLocation);
  E_Location->setValidator(new TypingLimit(E_Location, kTypingLimit));
  PB_File->setRange(0, 100);
  PB_File->setValue(0);
  PB_Overall->setRange(0, static_cast<int>(script_.commands.size()));
  PB_Overall->setValue(0);
  E_Location->setFocus();
  initialised_ = true;
}

void SetupDlg::ShowSourceFolder() {
  SetStatus(SetupString(smInstallingFrom) + Shown(state_.sourceFolder));
}

void SetupDlg::EnableButtons(bool enabled) {
  B_OK->setEnabled(enabled);
  B_Cancel->setEnabled(enabled);
}

void SetupDlg::B_OKClick() {
  if (!initialised_ || running_) return;
  EnableButtons(false);
  // A word about an earlier location goes; the status line tells about this one.
  ShowSourceFolder();
  LocationProblem problem;
  switch (PrepareLocation(E_Location->text(), script_, state_, *this, env_.freeSpace, problem)) {
    case LocationResult::NoDrive:
      // Not an error: the place the user most likely means is proposed, and OK takes it.
      E_Location->setText(HomeLocationFor(E_Location->text()));
      SetStatus(u"No drive %1 here, so a folder in your home is proposed; OK installs there"_s.arg(
          problem.folder.left(2)));
      break;
    case LocationResult::Refused:
      ShowSetupMessage(0, SetupRef(smError), problem.Text(false));
      break;
    case LocationResult::AskAgain:
      break;
    case LocationResult::Run:
      running_ = true;
      outcome_ = RunInstall(script_, state_, *this);
      running_ = false;
      return;
  }
  // Back to the location, for the user to take what is there or give another one.
  EnableButtons(true);
  E_Location->setFocus();
  E_Location->selectAll();
}

void SetupDlg::reject() {
  // Escape leaves at once, but never in the middle of a run.
  if (!running_) close();
}

void SetupDlg::closeEvent(QCloseEvent* event) {
  if (running_ && !ending_) {
    event->ignore();
    return;
  }
  event->accept();
}

void SetupDlg::BringToFront() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  if (QWidget* box = QApplication::activeModalWidget(); box && box != this) {
    box->raise();
    box->activateWindow();
  }
}

void SetupDlg::SetStatus(const QString& text) {
  L_Status->setText(text);
}

void SetupDlg::SetFileProgress(int percent) {
  PB_File->setValue(percent);
  if (PB_File->isVisible()) PB_File->repaint();
}

void SetupDlg::StepOverall() {
  PB_Overall->setValue(qMin(PB_Overall->value() + 1, PB_Overall->maximum()));
}

void SetupDlg::Repaint() {
  if (isVisible()) repaint();
}

int SetupDlg::ShowSetupMessage(unsigned style, const QString& caption, const QString& text) {
  const unsigned effective = style == 0 ? (kBoxOk | kIconExclamation) : style;
  if (effective & kIconHand) QApplication::beep();
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner) owner = this;
  SetupMessageBox& boxes = env_.messages ? *env_.messages : QtSetupMessageBox();
  return boxes.Show(owner, style, SetupText(caption), SetupText(text));
}

bool SetupDlg::WaitForDisk(int n) {
  return AwaitDisk(*this, state_, n,
                   [this](const QString& prompt) { return AskForDiskInABox(*this, prompt); });
}

void SetupDlg::EndSetup() {
  ending_ = true;
  close();
}
