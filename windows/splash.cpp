#include "splash.h"

#include "animpicture.h"
#include "formparts.h"
#include "webpage.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kClientWidth = 345;
constexpr int kClientHeight = 344;
constexpr int kFirstStepInterval = 1;
constexpr int kStepInterval = 25;
constexpr int kShrinkPerStep = 5;  // pixels on every side
const char* const kTag = "tag";

// The window's round border: a circle outline three pixels wide over the whole client area,
// drawn on top of everything but the button and the animation. It lets every click through.
class CircleOutline : public QWidget {
 public:
  explicit CircleOutline(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    constexpr qreal kPen = 3;
    const qreal side = std::min(width(), height());
    const QRectF square((width() - side) / 2, (height() - side) / 2, side, side);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), kPen));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(square.adjusted(kPen / 2, kPen / 2, -kPen / 2, -kPen / 2));
  }
};

QLabel* FullWidthLabel(QWidget* parent, const char* name, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setGeometry(0, top, kClientWidth, label->fontMetrics().height() + 2);
  return label;
}

QRegion Ellipse(int left, int top, int right, int bottom) {
  return QRegion(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QRegion::Ellipse);
}

}  // namespace

TF_Splash::TF_Splash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("F_Splash"));
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(kClientWidth, kClientHeight);
  // Closing always releases the window, whether the animation or the window manager closed it.
  setAttribute(Qt::WA_DeleteOnClose);

  // In painting order, bottom first.
  L_Beta = new QLabel(QStringLiteral("Beta Test Version"), this);
  L_Beta->setObjectName(QStringLiteral("L_Beta"));
  L_Beta->setGeometry(0, 116, kClientWidth, 12);
  L_Beta->setAlignment(Qt::AlignCenter);
  QFont bold = L_Beta->font();
  bold.setBold(true);
  L_Beta->setFont(bold);
  QPalette beta = L_Beta->palette();
  beta.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0x00));
  beta.setColor(QPalette::Window, QColor(0x80, 0x00, 0x00));
  L_Beta->setPalette(beta);
  L_Beta->setAutoFillBackground(true);
  L_Beta->hide();

  Bevel3 = Bevel(this, "Bevel3", QRect(88, 129, 170, 115), QFrame::Panel);

  ProductName = new QLabel(this);
  ProductName->setObjectName(QStringLiteral("ProductName"));
  QFont title = ProductName->font();
  title.setBold(true);
  title.setPointSize(10);
  ProductName->setFont(title);
  ProductName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  ProductName->setGeometry(0, 32, kClientWidth, ProductName->fontMetrics().height() + 2);

  Copyright = FullWidthLabel(this, "Copyright", 246);

  L_AnimCaption = MakeAnimCaption(this, QPoint(98, 169));

  Bevel1 = Bevel(this, "Bevel1", QRect(64, 69, 217, 2), QFrame::HLine);

  Version = FullWidthLabel(this, "Version", 56);

  Bv_Anim = Bevel(this, "Bv_Anim", QRect(90, 131, 166, 111), QFrame::Panel);

  Shape1 = new CircleOutline(this);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(0, 0, kClientWidth, kClientHeight);

  OKButton = new QToolButton(this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setText(QStringLiteral("&OK"));
  OKButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  OKButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  OKButton->setAutoRaise(true);
  OKButton->setFocusPolicy(Qt::NoFocus);  // so every key reaches the window
  OKButton->setGeometry(135, 308, 75, 25);
  connect(OKButton, &QToolButton::clicked, this, &TF_Splash::OKButtonClick);

  Anim = new TAnimPicture(this);
  Anim->setObjectName(QStringLiteral("Anim"));
  Anim->setGeometry(91, 132, 163, 109);

  T_ThatsAllFolks = new QTimer(this);
  T_ThatsAllFolks->setObjectName(QStringLiteral("T_ThatsAllFolks"));
  T_ThatsAllFolks->setInterval(kFirstStepInterval);
  T_ThatsAllFolks->setProperty(kTag, 1);
  connect(T_ThatsAllFolks, &QTimer::timeout, this, &TF_Splash::T_ThatsAllFolksTimer);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
}

int TF_Splash::Tag() const {
  return T_ThatsAllFolks->property(kTag).toInt();
}

void TF_Splash::FormCreate() {
  setMask(Ellipse(1, 1, width(), height()));
  ProductName->setText(QStringLiteral("Saltmarch 98 Glass Horizon"));
  Version->setText(QStringLiteral("Version : ") + FileVersionText());
  Copyright->setText(QStringLiteral("\u00A9 1998 Pellworth Software \u2022 Freeware"));
  // The animation is an ornament: whatever goes wrong with it must not stop the start-up.
  try {
    ShowProgramAnimation(Anim, L_AnimCaption, Bv_Anim);
  } catch (...) {
  }
  L_Beta->show();
}

void TF_Splash::OKButtonClick() {
  // Once the window is shrinking, a further OK must not start the steps again.
  if (!T_ThatsAllFolks->isActive()) T_ThatsAllFolks->start();
}

void TF_Splash::FormKeyPress(QChar key) {
  if (key == QChar(13)) OKButtonClick();
}

void TF_Splash::T_ThatsAllFolksTimer() {
  int tag = Tag();
  const int a = tag * kShrinkPerStep;
  setMask(Ellipse(a, a, width() - a, height() - a));
  T_ThatsAllFolks->setProperty(kTag, ++tag);
  // The first step comes at once, the others at the animation's pace.
  if (T_ThatsAllFolks->interval() == kFirstStepInterval)
    T_ThatsAllFolks->setInterval(kStepInterval);
  if (width() - tag * 2 * kShrinkPerStep <= 0) {
    T_ThatsAllFolks->stop();
    close();
  } else {
    QCoreApplication::processEvents();
  }
}

void TF_Splash::keyPressEvent(QKeyEvent* event) {
  // Only Enter dismisses the window; no key is passed on, so Escape does not close it either.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    FormKeyPress(QChar(13));
  else if (!event->text().isEmpty())
    FormKeyPress(event->text().front());
  event->accept();
}

void TF_Splash::closeEvent(QCloseEvent* event) {
  FormClose(event);
}

void TF_Splash::FormClose(QCloseEvent* event) {
  T_ThatsAllFolks->stop();
  QDialog::closeEvent(event);
}
