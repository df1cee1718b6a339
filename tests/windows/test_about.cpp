#include "aboutfrm.h"
#include "animpicture.h"
#include "fixedprograminfo.h"
#include "fixedsysteminfo.h"
#include "paths.h"
#include "qtprinters.h"
#include "samplegame.h"
#include "sysinfo.h"
#include "webpage.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t KB = 1024;

// Remembers the pointer shape while the processor is being measured.
class CursorWatchingInfo : public FixedSystemInfo {
 public:
  ProcessorInfo DetectProcessor() override {
    const QCursor* cursor = QApplication::overrideCursor();
    shapeDuringDetection = cursor ? int(cursor->shape()) : -1;
    return FixedSystemInfo::DetectProcessor();
  }
  int shapeDuringDetection = -1;
};

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    program.folder = dir.path();
    info.processor = {QStringLiteral("Test Processor 9000"), 1234};
    info.memory = {7, 65536 * KB, 1536, 2 * KB, 0};
  }
  void TearDown() override { QLocale::setDefault(savedLocale); }

  QTemporaryDir dir;
  FixedProgramInfo program;
  CursorWatchingInfo info;
  QLocale savedLocale;
};

TEST_F(AboutTest, CaptionIsFormedWhenTheBoxIsShown) {
  TF_About about;
  EXPECT_EQ(about.size(), QSize(464, 209));
  EXPECT_EQ(about.L_AppText->text(), ApplicationTitle());
  about.show();
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About ") + ApplicationTitle() +
                                     QStringLiteral(", Freeware Version **BETA**"));
  EXPECT_EQ(about.windowTitle(),
            QStringLiteral("About Saltmarch 98 : Glass Horizon (\u00DF 1.2), Freeware Version "
                           "**BETA**"));
}

TEST_F(AboutTest, ProcessorIsMeasuredOnceUnderTheHourglass) {
  TF_About about;
  EXPECT_EQ(info.detections, 1);
  EXPECT_EQ(info.shapeDuringDetection, int(Qt::WaitCursor));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(about.L_CPUType->text(), QStringLiteral("Test Processor 9000, 1234 mhz"));

  // A failed measurement leaves the name alone.
  EXPECT_EQ(ProcessorText({QStringLiteral("P"), 1}), QStringLiteral("P, 1 mhz"));
  EXPECT_EQ(ProcessorText({QStringLiteral("P"), 0}), QStringLiteral("P"));
  EXPECT_EQ(ProcessorText({QStringLiteral("P"), -1}), QStringLiteral("P"));
}

TEST_F(AboutTest, MemoryFiguresUseTheUsersThousandsSeparator) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  {
    TF_About about;
    EXPECT_EQ(about.L_TotalRam->text(), QStringLiteral("65.536 KB"));
    EXPECT_EQ(about.L_AvailRam->text(), QStringLiteral("2 KB"));  // 1.5 KB, rounded up
    EXPECT_EQ(about.L_TotalVirt->text(), QStringLiteral("2 KB"));
    EXPECT_EQ(about.L_AvailVirt->text(), QStringLiteral("0 KB"));
    EXPECT_EQ(about.L_MemLoad->text(), QStringLiteral("  7%"));
  }
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  TF_About about;
  EXPECT_EQ(about.L_TotalRam->text(), QStringLiteral("65,536 KB"));

  EXPECT_EQ(KilobyteText(1535), QStringLiteral("1 KB"));
  EXPECT_EQ(KilobyteText((std::uint64_t(1) << 47) - 4096), QStringLiteral("137,438,953,468 KB"));
  EXPECT_EQ(KilobyteText(UINT64_MAX), QStringLiteral("18,014,398,509,481,984 KB"));
  EXPECT_EQ(PercentText(0), QStringLiteral("  0%"));
  EXPECT_EQ(PercentText(100), QStringLiteral("100%"));
}

TEST_F(AboutTest, LongFiguresAreNotCutOff) {
  info.memory.totalVirtual = (std::uint64_t(1) << 47) - 4096;
  info.memory.availVirtual = info.memory.totalVirtual - 100 * KB * KB;
  TF_About about;
  const QList<QLabel*> values = {about.L_TotalRam, about.L_AvailRam, about.L_MemLoad,
                                 about.L_TotalVirt, about.L_AvailVirt};
  for (QLabel* value : values) {
    EXPECT_GE(value->width(), 81) << value->objectName().toStdString();
    EXPECT_GE(value->width(), value->sizeHint().width()) << value->objectName().toStdString();
    EXPECT_EQ(value->geometry().right(), about.L_TotalRam->geometry().right());
    EXPECT_TRUE(value->alignment() & Qt::AlignRight);
  }
  EXPECT_EQ(about.L_TotalRam->width(), 81);
}

TEST_F(AboutTest, TickerMovesLeftAndComesBackFromTheRight) {
  TF_About about;
  QLabel* ticker = about.copyrite;
  EXPECT_EQ(ticker->pos(), QPoint(458, 191));
  EXPECT_FALSE(ticker->text().isEmpty());
  EXPECT_GE(ticker->width(), ticker->sizeHint().width());

  about.AnimTimerTimer();
  EXPECT_EQ(ticker->x(), 454);

  // A right edge at 0 is still on the edge; once it is past it the line starts again.
  ticker->move(-ticker->width() + 4, 191);
  about.AnimTimerTimer();
  EXPECT_EQ(ticker->x(), -ticker->width());
  about.AnimTimerTimer();
  EXPECT_EQ(ticker->x(), 465);
  EXPECT_EQ(ticker->y(), 191);
}

TEST_F(AboutTest, TickerRunsWhileShownAndStopsWithTheBox) {
  TF_About about;
  EXPECT_TRUE(about.AnimTimer->isActive());
  EXPECT_EQ(about.AnimTimer->interval(), 100);
  about.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return about.copyrite->x() <= 458 - 2 * 4; }));
  EXPECT_EQ((458 - about.copyrite->x()) % 4, 0);

  QTest::mouseClick(about.OKButton, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_FALSE(about.AnimTimer->isActive());
  const int stoppedAt = about.copyrite->x();
  QTest::qWait(250);
  EXPECT_EQ(about.copyrite->x(), stoppedAt);
}

TEST_F(AboutTest, AnimationOrItsStandIn) {
  {
    TF_About about;
    EXPECT_FALSE(about.Anim->HoldsPicture());
    EXPECT_EQ(about.L_AnimCaption->text(), QStringLiteral("Saltmarch 98"));
    EXPECT_EQ(about.L_AnimCaption->geometry(), about.Bv_Anim->geometry());
  }
  ASSERT_TRUE(SampleGame::WriteAnimation(dir.filePath(QStringLiteral("sm.dat"))));
  TF_About about;
  EXPECT_TRUE(about.Anim->HoldsPicture());
  EXPECT_EQ(about.L_AnimCaption->text(), QString());
}

TEST_F(AboutTest, PagesAndButtonsAreWhereTheProgramLooksForThem) {
  TF_About about;
  ASSERT_EQ(about.PageControl1->count(), 2);
  EXPECT_EQ(about.PageControl1->tabText(0), QStringLiteral("License Info"));
  EXPECT_EQ(about.PageControl1->tabText(1), QStringLiteral("System Information"));
  EXPECT_EQ(about.PageControl1->widget(0), about.findChild<QWidget*>(QStringLiteral("tsLicense")));
  EXPECT_TRUE(about.Txt_Licence->isReadOnly());
  EXPECT_FALSE(about.Txt_Licence->isEnabled());
  EXPECT_GT(about.Txt_Licence->toPlainText().count(u'\n'), 1);
  // The memo is disabled, its scroll bar with it: the whole licence must be in sight.
  about.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(about.Txt_Licence->verticalScrollBar()->maximum(), 0);
  // ... and readable: its letters are drawn dark, not in the light grey of disabled text.
  const QImage licence = about.Txt_Licence->viewport()->grab().toImage();
  int darkest = 255;
  for (int y = 0; y < licence.height(); ++y) {
    for (int x = 0; x < licence.width(); ++x) darkest = qMin(darkest, qGray(licence.pixel(x, y)));
  }
  EXPECT_LT(darkest, 80);
  EXPECT_EQ(about.HelpButton->toolTip(), QStringLiteral("Get help on this window"));
  for (const char* name :
       {"L_AnimCaption", "copyrite", "HelpButton", "OKButton", "L_AppText", "Bevel3", "Bv_Anim",
        "Anim", "PageControl1", "tsSystemInfo", "Txt_Licence", "L_CPUType", "L_TotalRam",
        "L_AvailRam", "L_MemLoad", "L_TotalVirt", "L_AvailVirt"})
    EXPECT_NE(about.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(about.findChild<QTimer*>(QStringLiteral("AnimTimer")), about.AnimTimer);

  // Help does nothing yet; it must not close the box.
  QTest::mouseClick(about.HelpButton, Qt::LeftButton);
  EXPECT_TRUE(about.isVisible());
}

}  // namespace
