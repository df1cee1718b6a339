// Every window of the snapshot set, checked with this platform's fonts: each text fits its
// control, no two visible controls overlap, and a grid shows all of its cells. CTest runs it at
// 100 % and, with QT_SCALE_FACTOR, at 200 %.

#include "appicon.h"
#include "windowset.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QString Describe(const QWidget* w) {
  QString name = w->objectName();
  if (const auto* label = qobject_cast<const QLabel*>(w); label && name.isEmpty()) {
    name = label->text().left(24);
  }
  return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), name);
}

// Qt's own parts of a compound control (a spin box's edit, a scroll area's viewport) are
// laid out by Qt and not checked.
bool QtInternal(const QWidget* w) {
  return w->objectName().startsWith(QStringLiteral("qt_"));
}

// The controls that show something: a label without text, picture or frame is a backdrop (the
// dark strip behind the row captions) and may lie under other controls; an empty status panel
// still shows its frame.
bool ShowsContent(const QWidget* w) {
  if (const auto* label = qobject_cast<const QLabel*>(w)) {
    return !label->text().isEmpty() || !label->pixmap().isNull() || label->movie() ||
           label->frameShape() != QFrame::NoFrame;
  }
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QSizeGrip*>(w) || qobject_cast<const QSlider*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QGroupBox*>(w) || qobject_cast<const QAbstractItemView*>(w);
}

// A line of text needs its advance across, and down only the ink of its letters: the font's
// line height holds room for accents and descenders that the text may not have.
QSize TextSize(const QWidget* w, const QString& text) {
  const QFontMetrics metrics = w->fontMetrics();
  return QSize(metrics.size(Qt::TextShowMnemonic, text).width(),
               metrics.tightBoundingRect(QString(text).remove(QChar(u'&'))).height());
}

// Why the control's text is cut, or an empty text when it fits.
QString TextProblem(QWidget* w) {
  QSize needed, room;
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText) return QString();
    room = label->contentsRect().size();
    if (label->wordWrap()) {
      needed = QSize(0, label->heightForWidth(label->width()));
    } else {
      needed = TextSize(label, label->text());
      needed.rwidth() += 2 * qMax(0, label->indent()) + 2 * label->margin();
    }
  } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
    const QString text = static_cast<QAbstractButton*>(w)->text();
    if (text.isEmpty()) return QString();
    const bool radio = qobject_cast<QRadioButton*>(w);
    const int indicator = w->style()->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight, nullptr, w);
    needed = QSize(w->sizeHint().width(), qMax(indicator, TextSize(w, text).height()));
    room = w->size();
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    if (button->text().isEmpty()) return QString();
    QStyleOptionButton option;
    option.initFrom(button);
    room = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    needed = TextSize(button, button->text());
    if (!button->icon().isNull()) needed.rwidth() += button->iconSize().width() + 4;
  } else {
    return QString();
  }
  if (needed.width() <= room.width() && needed.height() <= room.height()) return QString();
  return QStringLiteral("%1: needs %2 x %3, has %4 x %5")
      .arg(Describe(w))
      .arg(needed.width())
      .arg(needed.height())
      .arg(room.width())
      .arg(room.height());
}

QString GridProblem(QWidget* w) {
  auto* grid = qobject_cast<QTableView*>(w);
  if (!grid) return QString();
  QSize content(grid->horizontalHeader()->length(), grid->verticalHeader()->length());
  const QSize room = grid->viewport()->size();
  // The units table scrolls through its rows, but shows every column whole.
  if (grid->objectName() == QStringLiteral("TV_Units")) content.setHeight(0);
  if (content.width() <= room.width() && content.height() <= room.height()) return QString();
  return QStringLiteral("%1: cells need %2 x %3, the grid shows %4 x %5")
      .arg(Describe(w))
      .arg(content.width())
      .arg(content.height())
      .arg(room.width())
      .arg(room.height());
}

void CheckChildren(QWidget* parent, QStringList& problems) {
  QList<QWidget*> shown;
  for (QObject* object : parent->children()) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w || w->isWindow() || !w->isVisible() || QtInternal(w)) continue;
    for (const QString& problem : {TextProblem(w), GridProblem(w)}) {
      if (!problem.isEmpty()) problems << problem;
    }
    if (ShowsContent(w)) shown << w;
    CheckChildren(w, problems);
  }
  // A group box may frame the controls that lie wholly inside it.
  const auto frames = [](const QWidget* box, const QWidget* inner) {
    return qobject_cast<const QGroupBox*>(box) && box->geometry().contains(inner->geometry());
  };
  for (int i = 0; i < shown.size(); ++i) {
    for (int j = i + 1; j < shown.size(); ++j) {
      const QWidget *a = shown[i], *b = shown[j];
      if (a->geometry().intersects(b->geometry()) && !frames(a, b) && !frames(b, a)) {
        problems << Describe(a) + QStringLiteral(" overlaps ") + Describe(b);
      }
    }
  }
}

TEST(WindowLayout, EveryWindowShowsAllItHoldsUnderTheProgramsIcon) {
  QStringList problems;
  int windows = 0;
  const QImage icon = AppIconImage(32).convertToFormat(QImage::Format_ARGB32);
  const QString installer = VisitDemoWindows([&](const QString& name, QWidget* window) {
    ++windows;
    // The About box (the planet of its animation) and the installer (a disk) have their own.
    if (name != QStringLiteral("TF_About") && name != QStringLiteral("SetupDlg") &&
        window->windowIcon()
                .pixmap(QSize(32, 32), 1.0)
                .toImage()
                .convertToFormat(QImage::Format_ARGB32) != icon) {
      problems << name + QStringLiteral(": not the programs' icon");
    }
    QStringList found;
    CheckChildren(window, found);
    for (const QString& problem : found) problems << name + QStringLiteral(": ") + problem;
  });
  EXPECT_TRUE(installer.isEmpty()) << installer.toStdString();
  EXPECT_GE(windows, 15);
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QChar(u'\n')).toStdString();
}

}  // namespace
