#include "aboutfrm.h"

#include "animpicture.h"
#include "focuscues.h"
#include "formparts.h"
#include "webpage.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadialGradient>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kClientWidth = 464;
constexpr int kClientHeight = 209;
constexpr int kTickerStep = 4;  // pixels to the left per tick
constexpr int kValueWidth = 81;
constexpr int kValueRight = 268;

const char16_t kCredits[] =
    u"Saltmarch 98 : Glass Horizon   \u2022   design and programming by Pellworth Software   "
    u"\u2022   thanks to every beta tester who sent us feedback   \u2022   Dune2000 is a game by "
    u"Westwood Studios";

// Short enough to be read whole: the memo is disabled, and so is its scroll bar.
const char16_t kLicence[] =
    u"Saltmarch 98 is freeware from Pellworth Software.\n"
    u"Use it and give copies away free of charge; never sell it.\n"
    u"It comes with no warranty: you use it at your own risk. Back up your game files first.";

// The window's icon: a desert planet with its moon, as in the program's animation.
QIcon AboutIcon() {
  QIcon icon;
  for (int size : {16, 32}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    QRadialGradient sand(QPointF(12 * s, 12 * s), 16 * s);
    sand.setColorAt(0, QColor(240, 200, 120));
    sand.setColorAt(1, QColor(170, 110, 50));
    painter.setPen(QPen(QColor(110, 70, 30), s));
    painter.setBrush(sand);
    painter.drawEllipse(QPointF(15 * s, 17 * s), 12 * s, 12 * s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 220, 235));
    painter.drawEllipse(QPointF(27 * s, 6 * s), 4 * s, 4 * s);
    icon.addPixmap(pixmap);
  }
  return icon;
}

QToolButton* FlatButton(QWidget* parent, const char* name, const QString& text,
                        QStyle::StandardPixmap picture, const QRect& bounds) {
  auto* button = Named(new QToolButton(parent), name);
  button->setText(text);
  button->setIcon(parent->style()->standardIcon(picture));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setGeometry(bounds);
  return button;
}

QLabel* PlainLabel(QWidget* parent, const QString& text, int left, int top, bool bold = false) {
  auto* label = new QLabel(text, parent);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  label->move(left, top);
  label->adjustSize();
  return label;
}

// Shows the hourglass for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

QString KilobyteText(std::uint64_t bytes) {
  // Whole kilobytes, halves rounded up, counted in integers so that no size loses precision.
  const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
  return QLocale().toString(qulonglong(kilobytes)) + QStringLiteral(" KB");
}

QString PercentText(int percent) {
  return QStringLiteral("%1%").arg(percent, 3);
}

QString ProcessorText(const ProcessorInfo& processor) {
  QString text = processor.name;
  if (processor.mhz > 0) text += QStringLiteral(", %1 mhz").arg(processor.mhz);
  return text;
}

TF_About::TF_About(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("F_About"));
  ShowFocusFromTheStart(this);
  setFixedSize(kClientWidth, kClientHeight);
  setWindowIcon(AboutIcon());

  L_AnimCaption = MakeAnimCaption(this, QPoint(14, 52));

  copyrite = new QLabel(this);
  copyrite->setObjectName(QStringLiteral("copyrite"));
  copyrite->setTextFormat(Qt::PlainText);  // an "&" in the credits is just an "&"
  copyrite->move(458, 191);

  HelpButton = FlatButton(this, "HelpButton", QStringLiteral("&Help"), QStyle::SP_DialogHelpButton,
                          QRect(8, 140, 75, 25));
  HelpButton->setToolTip(QStringLiteral("Get help on this window"));
  HelpButton->setStatusTip(HelpButton->toolTip());

  OKButton = FlatButton(this, "OKButton", QStringLiteral("&OK"), QStyle::SP_DialogOkButton,
                        QRect(93, 140, 75, 25));
  connect(OKButton, &QToolButton::clicked, this, &TF_About::OKButtonClick);

  L_AppText = new QLabel(this);
  L_AppText->setObjectName(QStringLiteral("L_AppText"));
  QFont heading(QStringLiteral("Arial"));
  heading.setBold(true);
  heading.setItalic(true);
  L_AppText->setFont(heading);
  L_AppText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  L_AppText->setGeometry(176, 8, 289, L_AppText->fontMetrics().height() + 2);

  Bevel3 = Bevel(this, "Bevel3", QRect(3, 4, 170, 115));
  Bv_Anim = Bevel(this, "Bv_Anim", QRect(5, 6, 166, 111));

  Anim = new TAnimPicture(this);
  Anim->setObjectName(QStringLiteral("Anim"));
  Anim->setGeometry(7, 7, 162, 108);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setDocumentMode(true);  // flat tabs
  PageControl1->setGeometry(182, 26, 280, 157);

  tsLicense = new QWidget;
  tsLicense->setObjectName(QStringLiteral("tsLicense"));
  Txt_Licence = new QPlainTextEdit(tsLicense);
  Txt_Licence->setObjectName(QStringLiteral("Txt_Licence"));
  Txt_Licence->setReadOnly(true);
  Txt_Licence->setEnabled(false);
  // Disabled only so that nobody types into it: the licence is drawn in the normal text colour.
  QPalette licencePalette = Txt_Licence->palette();
  for (const QPalette::ColorRole role : {QPalette::Text, QPalette::Base}) {
    licencePalette.setColor(QPalette::Disabled, role, licencePalette.color(QPalette::Active, role));
  }
  Txt_Licence->setPalette(licencePalette);
  Txt_Licence->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Txt_Licence->setPlainText(QString::fromUtf16(kLicence));
  auto* licencePage = new QVBoxLayout(tsLicense);
  licencePage->setContentsMargins(0, 0, 0, 0);
  licencePage->addWidget(Txt_Licence);
  PageControl1->addTab(tsLicense, QStringLiteral("License Info"));

  tsSystemInfo = new QWidget;
  tsSystemInfo->setObjectName(QStringLiteral("tsSystemInfo"));
  PlainLabel(tsSystemInfo, QStringLiteral("CPU"), 8, 6, true);
  L_CPUType = new QLabel(tsSystemInfo);
  L_CPUType->setObjectName(QStringLiteral("L_CPUType"));
  L_CPUType->setWordWrap(true);
  L_CPUType->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  L_CPUType->setGeometry(48, 6, 220, 30);
  PlainLabel(tsSystemInfo, QStringLiteral("Memory"), 8, 38, true);
  L_TotalRam = ValueRow("Total System RAM", "L_TotalRam", 54);
  L_AvailRam = ValueRow("Available System RAM", "L_AvailRam", 68);
  L_MemLoad = ValueRow("Memory Load", "L_MemLoad", 82);
  L_TotalVirt = ValueRow("Total Virtual", "L_TotalVirt", 96);
  L_AvailVirt = ValueRow("Free Virtual", "L_AvailVirt", 110);
  PageControl1->addTab(tsSystemInfo, QStringLiteral("System Information"));

  AnimTimer = new QTimer(this);
  AnimTimer->setObjectName(QStringLiteral("AnimTimer"));
  AnimTimer->setInterval(100);
  connect(AnimTimer, &QTimer::timeout, this, &TF_About::AnimTimerTimer);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
}

QLabel* TF_About::ValueRow(const char* caption, const char* name, int top) {
  PlainLabel(tsSystemInfo, QString::fromLatin1(caption), 20, top);
  auto* value = new QLabel(tsSystemInfo);
  value->setObjectName(QString::fromLatin1(name));
  value->setAlignment(Qt::AlignRight | Qt::AlignTop);
  value->setGeometry(kValueRight - kValueWidth, top, kValueWidth, value->fontMetrics().height());
  return value;
}

void TF_About::SetValue(QLabel* label, const QString& text) {
  label->setText(text);
  // 64-bit address spaces run to more digits than the column was made for: the column then
  // grows to the left rather than cutting off the leading digits.
  const int width = std::max(kValueWidth, label->sizeHint().width());
  label->setGeometry(kValueRight - width, label->y(), width, label->height());
}

void TF_About::FormCreate() {
  AnimTimer->start();
  copyrite->setText(QString::fromUtf16(kCredits));
  copyrite->adjustSize();
  L_AppText->setText(ApplicationTitle());
  try {
    ShowProgramAnimation(Anim, L_AnimCaption, Bv_Anim);
  } catch (...) {
  }

  {
    WaitCursor hourglass;
    QCoreApplication::processEvents();
    CPUInfo = SystemInfo().DetectProcessor();
  }
  L_CPUType->setText(ProcessorText(CPUInfo));

  const MemoryStatus memory = SystemInfo().GlobalMemoryStatus();
  SetValue(L_TotalRam, KilobyteText(memory.totalPhys));
  SetValue(L_AvailRam, KilobyteText(memory.availPhys));
  SetValue(L_TotalVirt, KilobyteText(memory.totalVirtual));
  SetValue(L_AvailVirt, KilobyteText(memory.availVirtual));
  SetValue(L_MemLoad, PercentText(memory.memoryLoad));
}

void TF_About::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TF_About::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  FormHide();
}

void TF_About::FormShow() {
  setWindowTitle(
      QStringLiteral("About %1, %2").arg(ApplicationTitle(), QStringLiteral("Freeware Version")) +
      QStringLiteral(" **BETA**"));
}

void TF_About::FormHide() {
  AnimTimer->stop();
}

void TF_About::OKButtonClick() {
  close();
}

void TF_About::AnimTimerTimer() {
  int left = copyrite->x() - kTickerStep;
  // Once the line has run out on the left, it comes in again from the right.
  if (left + copyrite->width() < 0) left = width() + 1;
  copyrite->move(left, copyrite->y());
}
