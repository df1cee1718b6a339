#include "animpicture.h"
#include "fixedprograminfo.h"
#include "gifwriter.h"
#include "paths.h"
#include "qtprinters.h"
#include "samplegame.h"
#include "splash.h"
#include "webpage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A frame of `size` in one colour, its left half transparent when `halfClear`.
QImage Solid(QSize size, QColor colour, bool halfClear = false) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(colour);
  if (halfClear)
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width() / 2; ++x) image.setPixel(x, y, qRgba(0, 0, 0, 0));
  return image;
}

void ReleaseDeletedWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The program folder is a fresh temporary one, so each test decides what sm.dat holds.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    program.folder = dir.path();
  }
  void TearDown() override { ReleaseDeletedWindows(); }
  QString SmDat() const { return dir.filePath(QStringLiteral("sm.dat")); }
  void WriteSampleAnimation() { ASSERT_TRUE(SampleGame::WriteAnimation(SmDat())); }

  QTemporaryDir dir;
  FixedProgramInfo program;
};

using SplashTest = ProgramFolderTest;
using AnimPictureTest = ProgramFolderTest;

TEST_F(SplashTest, CreationFillsTheRoundWindow) {
  const VersionBlock block{true, true, QStringLiteral("4.5.6.7")};
  program.version = block;
  QPointer<TF_Splash> splash = new TF_Splash;

  EXPECT_EQ(splash->windowTitle(), QStringLiteral("About"));
  EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash->size(), QSize(345, 344));
  EXPECT_EQ(splash->ProductName->text(), QStringLiteral("Saltmarch 98 Glass Horizon"));
  EXPECT_EQ(splash->Version->text(), QStringLiteral("Version : 4.5.6.7"));
  EXPECT_FALSE(splash->Copyright->text().isEmpty());
  EXPECT_FALSE(splash->L_Beta->isHidden());
  EXPECT_EQ(splash->L_Beta->text(), QStringLiteral("Beta Test Version"));
  for (const char* name : {"L_Beta", "Bevel3", "ProductName", "Copyright", "L_AnimCaption",
                           "Bevel1", "Version", "Bv_Anim", "Shape1", "OKButton", "Anim"})
    EXPECT_NE(splash->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(splash->findChild<QTimer*>(QStringLiteral("T_ThatsAllFolks")), splash->T_ThatsAllFolks);

  // The ellipse inscribed in (1, 1)..(345, 344), and the OK button wholly inside it.
  const QRegion shape = splash->mask();
  EXPECT_EQ(shape.boundingRect(), QRect(1, 1, 344, 343));
  EXPECT_FALSE(shape.contains(QPoint(0, 0)));
  EXPECT_FALSE(shape.contains(QPoint(20, 20)));
  const QRect ok = splash->OKButton->geometry();
  for (const QPoint corner : {ok.topLeft(), ok.topRight(), ok.bottomLeft(), ok.bottomRight()})
    EXPECT_TRUE(shape.contains(corner)) << corner.x() << "," << corner.y();

  // The texts near the top and the bottom fit inside the round border.
  for (const QLabel* label : {splash->ProductName, splash->Version, splash->Copyright}) {
    const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
    const int y = label->geometry().center().y();
    EXPECT_TRUE(shape.contains(QPoint((345 - textWidth) / 2 - 3, y)))
        << label->objectName().toStdString();
    EXPECT_TRUE(shape.contains(QPoint((345 + textWidth) / 2 + 3, y)))
        << label->objectName().toStdString();
  }

  // The shrinking has not begun.
  EXPECT_FALSE(splash->T_ThatsAllFolks->isActive());
  EXPECT_EQ(splash->T_ThatsAllFolks->interval(), 1);
  EXPECT_EQ(splash->Tag(), 1);
  delete splash;
}

TEST_F(SplashTest, AnimationFromSmDatPlaysOnABlackBackdrop) {
  WriteSampleAnimation();
  TF_Splash* splash = new TF_Splash;
  EXPECT_TRUE(splash->Anim->HoldsPicture());
  EXPECT_EQ(splash->L_AnimCaption->text(), QString());
  EXPECT_EQ(splash->L_AnimCaption->geometry(), splash->Bv_Anim->geometry());
  EXPECT_TRUE(splash->L_AnimCaption->autoFillBackground());
  EXPECT_EQ(splash->L_AnimCaption->palette().color(QPalette::Window), QColor(Qt::black));
  delete splash;
}

TEST_F(SplashTest, WithoutAReadableSmDatTheAreaNamesTheProgram) {
  QByteArray gif;
  {
    ASSERT_TRUE(SampleGame::WriteAnimation(SmDat()));
    gif = ReadBytes(SmDat());
    ASSERT_TRUE(QFile::remove(SmDat()));
  }
  const struct {
    const char* what;
    QByteArray bytes;
    bool write;
  } cases[] = {
      {"missing", {}, false},
      {"empty", QByteArray(), true},
      {"not a picture", QByteArray("this is no picture at all"), true},
      {"cut off after the header", gif.left(40), true},
  };
  for (const auto& c : cases) {
    if (c.write) {
      ASSERT_TRUE(WriteBytes(SmDat(), c.bytes));
    }
    TF_Splash* splash = new TF_Splash;
    EXPECT_FALSE(splash->Anim->HoldsPicture()) << c.what;
    EXPECT_EQ(splash->L_AnimCaption->text(), QStringLiteral("Saltmarch 98")) << c.what;
    EXPECT_EQ(splash->L_AnimCaption->geometry(), splash->Bv_Anim->geometry()) << c.what;
    EXPECT_EQ(splash->L_AnimCaption->palette().color(QPalette::WindowText), QColor(Qt::white));

    // What the user sees: black in the animation area, around the white caption.
    const QImage seen = splash->grab().toImage();
    EXPECT_EQ(QColor(seen.pixel(95, 136)), QColor(Qt::black)) << c.what;
    delete splash;
    QFile::remove(SmDat());
  }
}

TEST_F(SplashTest, EachStepShrinksTheWindowFivePixelsASide) {
  TF_Splash* splash = new TF_Splash;
  splash->OKButtonClick();
  ASSERT_TRUE(splash->T_ThatsAllFolks->isActive());
  // The first step is due at once.
  EXPECT_EQ(splash->T_ThatsAllFolks->interval(), 1);
  splash->T_ThatsAllFolks->stop();  // the test takes the steps itself

  splash->T_ThatsAllFolksTimer();
  EXPECT_EQ(splash->Tag(), 2);
  EXPECT_EQ(splash->T_ThatsAllFolks->interval(), 25);
  EXPECT_EQ(splash->mask().boundingRect(), QRect(5, 5, 335, 334));

  splash->T_ThatsAllFolksTimer();
  EXPECT_EQ(splash->Tag(), 3);
  EXPECT_EQ(splash->T_ThatsAllFolks->interval(), 25);
  EXPECT_EQ(splash->mask().boundingRect(), QRect(10, 10, 325, 324));
  delete splash;
}

TEST_F(SplashTest, ClosesOnTheThirtyFourthStepAndReleasesItself) {
  QPointer<TF_Splash> splash = new TF_Splash;
  splash->show();
  splash->OKButtonClick();
  splash->T_ThatsAllFolks->stop();
  for (int step = 1; step <= 33; ++step) {
    splash->T_ThatsAllFolksTimer();
    ASSERT_TRUE(splash->isVisible()) << "closed after step " << step;
  }
  EXPECT_EQ(splash->Tag(), 34);
  splash->T_ThatsAllFolksTimer();
  ASSERT_FALSE(splash.isNull());
  EXPECT_FALSE(splash->isVisible());
  EXPECT_EQ(splash->Tag(), 35);
  EXPECT_FALSE(splash->T_ThatsAllFolks->isActive());
  ReleaseDeletedWindows();
  EXPECT_TRUE(splash.isNull());
}

TEST_F(SplashTest, ASecondOkDoesNotStartTheStepsAgain) {
  TF_Splash* splash = new TF_Splash;
  splash->show();
  QTest::mouseClick(splash->OKButton, Qt::LeftButton);
  ASSERT_TRUE(splash->T_ThatsAllFolks->isActive());
  splash->T_ThatsAllFolks->stop();
  splash->T_ThatsAllFolksTimer();
  // A long pause before the next step lets a restarted countdown show.
  splash->T_ThatsAllFolks->setTimerType(Qt::PreciseTimer);
  splash->T_ThatsAllFolks->start(60000);
  QTest::qWait(400);

  QTest::mouseClick(splash->OKButton, Qt::LeftButton);
  QTest::keyClick(splash, Qt::Key_Return);
  EXPECT_TRUE(splash->T_ThatsAllFolks->isActive());
  EXPECT_LT(splash->T_ThatsAllFolks->remainingTime(), 60000 - 200);
  EXPECT_EQ(splash->T_ThatsAllFolks->interval(), 60000);
  EXPECT_EQ(splash->Tag(), 2);
  delete splash;
}

TEST_F(SplashTest, EnterDismissesAndOtherKeysDoNothing) {
  TF_Splash* splash = new TF_Splash;
  splash->show();
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Space, Qt::Key_A, Qt::Key_O, Qt::Key_F4}) {
    QTest::keyClick(splash, key);
    EXPECT_FALSE(splash->T_ThatsAllFolks->isActive()) << key;
    EXPECT_TRUE(splash->isVisible()) << key;
  }
  QTest::keyClick(splash, Qt::Key_Return);
  EXPECT_TRUE(splash->T_ThatsAllFolks->isActive());
  delete splash;

  // The keypad's Enter as well.
  splash = new TF_Splash;
  splash->show();
  QTest::keyClick(splash, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(splash->T_ThatsAllFolks->isActive());
  delete splash;
}

TEST_F(SplashTest, ItsOwnTimerShrinksItAwayAndEndsTheModalRun) {
  WriteSampleAnimation();
  QPointer<TF_Splash> splash = new TF_Splash;
  QTimer::singleShot(0, splash, [&] { QTest::mouseClick(splash->OKButton, Qt::LeftButton); });
  // Should the window never close, the test must still end.
  QTimer::singleShot(20000, qApp, [&] {
    if (splash) splash->done(0);
  });
  QElapsedTimer clock;
  clock.start();
  splash->exec();
  const qint64 elapsed = clock.elapsed();
  ReleaseDeletedWindows();
  EXPECT_TRUE(splash.isNull());
  // 33 pauses of 25 ms after the first, immediate step; timers may fire a little early.
  EXPECT_GE(elapsed, 33 * 25 * 9 / 10);
  EXPECT_LT(elapsed, 15000);
}

TEST_F(AnimPictureTest, LoadsEveryFrameAndWaitsToBeShown) {
  WriteSampleAnimation();
  TAnimPicture anim;
  EXPECT_FALSE(anim.HoldsPicture());
  ASSERT_TRUE(anim.LoadFromFile(SmDat()));
  EXPECT_TRUE(anim.HoldsPicture());
  EXPECT_EQ(anim.FrameCount(), 16);
  EXPECT_EQ(anim.PictureSize(), QSize(160, 104));
  EXPECT_EQ(anim.CurrentFrame(), 0);
  EXPECT_FALSE(anim.Playing());
}

TEST_F(AnimPictureTest, AFailedLoadLeavesItEmpty) {
  WriteSampleAnimation();
  const QString png = dir.filePath(QStringLiteral("picture.png"));
  ASSERT_TRUE(Solid(QSize(8, 8), Qt::blue).save(png, "PNG"));
  const QString garbage = dir.filePath(QStringLiteral("garbage"));
  ASSERT_TRUE(WriteBytes(garbage, QByteArray("GIF89a and then nothing sensible")));

  for (const QString& path : {dir.filePath(QStringLiteral("missing.dat")), png, garbage}) {
    TAnimPicture anim;
    ASSERT_TRUE(anim.LoadFromFile(SmDat()));
    EXPECT_FALSE(anim.LoadFromFile(path)) << path.toStdString();
    EXPECT_FALSE(anim.HoldsPicture());
    EXPECT_EQ(anim.FrameCount(), 0);
    EXPECT_EQ(anim.CurrentFrame(), -1);
    EXPECT_EQ(anim.PictureSize(), QSize());
  }
}

TEST_F(AnimPictureTest, PictureIsCentredUnscaledAndLetsTheBackgroundThrough) {
  const QString path = dir.filePath(QStringLiteral("blue.gif"));
  ASSERT_TRUE(WriteAnimatedGif(path, {Solid(QSize(10, 10), Qt::blue, true)}, 10));
  QWidget back;
  back.resize(30, 30);
  QPalette red = back.palette();
  red.setColor(QPalette::Window, Qt::red);
  back.setPalette(red);
  back.setAutoFillBackground(true);
  auto* anim = new TAnimPicture(&back);
  anim->setGeometry(0, 0, 30, 30);
  ASSERT_TRUE(anim->LoadFromFile(path));

  const QImage seen = back.grab().toImage();
  EXPECT_EQ(QColor(seen.pixel(9, 15)), QColor(Qt::red));    // left of the picture
  EXPECT_EQ(QColor(seen.pixel(12, 15)), QColor(Qt::red));   // its transparent half
  EXPECT_EQ(QColor(seen.pixel(15, 10)), QColor(Qt::blue));  // its top-left opaque pixel
  EXPECT_EQ(QColor(seen.pixel(19, 19)), QColor(Qt::blue));  // its last pixel
  EXPECT_EQ(QColor(seen.pixel(20, 19)), QColor(Qt::red));   // not stretched
  EXPECT_EQ(QColor(seen.pixel(15, 20)), QColor(Qt::red));
}

TEST_F(AnimPictureTest, LoopsEvenWhenTheFileAsksToBePlayedOnce) {
  const QString path = dir.filePath(QStringLiteral("once.gif"));
  ASSERT_TRUE(
      WriteAnimatedGif(path, {Solid(QSize(4, 4), Qt::blue), Solid(QSize(4, 4), Qt::green)}, 2));
  // Without its looping block a GIF is meant to play a single time.
  QByteArray bytes = ReadBytes(path);
  const qsizetype loop = bytes.indexOf("NETSCAPE2.0");
  ASSERT_GE(loop, 3);
  bytes.remove(loop - 3, 19);
  ASSERT_TRUE(WriteBytes(path, bytes));

  TAnimPicture anim;
  anim.resize(10, 10);
  ASSERT_TRUE(anim.LoadFromFile(path));
  QList<int> shown;
  QObject::connect(&anim, &TAnimPicture::FrameShown, &anim, [&](int frame) { shown << frame; });
  anim.show();
  EXPECT_TRUE(anim.Playing());
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.count(0) >= 3; }));
  EXPECT_GE(shown.count(1), 2);

  anim.hide();
  EXPECT_FALSE(anim.Playing());
}

}  // namespace
