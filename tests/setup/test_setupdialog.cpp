#include "sampledir.h"
#include "setupdialog.h"
#include "setuptestsupport.h"
#include "singleinstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

class Window : public ::testing::Test {
 protected:
  void SetUp() override { QApplication::setQuitOnLastWindowClosed(false); }

  std::unique_ptr<SetupDlg> Open() {
    SetupEnvironment env;
    env.sourceFolder = sandbox.Medium();
    env.messages = &boxes;
    env.runner = &runner;
    env.windowsFolder = sandbox.Windows();
    env.systemFolder = sandbox.Windows() + u"/system32"_s;
    env.desktopFolder = sandbox.Desktop();
    env.freeSpace = freeSpace;
    env.allocate = allocate;
    auto window = std::make_unique<SetupDlg>(env);
    window->show();
    SetupDlg* w = window.get();
    EXPECT_TRUE(QTest::qWaitFor([w] { return w->Initialised() || !w->isVisible(); }, 5000));
    return window;
  }
  template <class T>
  static T* Control(SetupDlg& window, int id) {
    return window.findChild<T*>(QString::number(id));
  }
  static void ClickOk(SetupDlg& window) {
    QTest::mouseClick(Control<QPushButton>(window, SetupDlg::kOk), Qt::LeftButton);
  }

  SetupSandbox sandbox;
  ScriptedBoxes boxes;
  RecordingRunner runner;
  std::function<std::int64_t(const QString&)> freeSpace;
  BufferAllocator allocate;
};

TEST_F(Window, StartUpFailuresCloseTheWindow) {
  struct Case {
    QByteArray script;
    QString text;
  };
  const QString unreadable = u"Unable To Read Install Script File\nInstallation Aborted"_s;
  // Lines end in CR LF, CR and LF alike.
  static constexpr char kZeroInRemark[] =
      "\"P\"\r\n\"L\" \"1\"\r\r\"M\" \"C:@I\"\n; remark \0 more\n\"M:@I\\x\"";
  const std::vector<Case> cases = {
      {QByteArray(), u"Unable To Open Install Script File\nInstallation Aborted"_s},
      {QByteArray(10, ' '), unreadable},
      {QByteArray(62000, ' '), unreadable},
      {QByteArray("\"P\" \"L\" \"1\" \"M\" \"nonsense\""),
       u"Format Of Install Script File Invalid\nInstallation Aborted"_s},
      // A zero byte would end the text there: the commands after it would silently be lost.
      {QByteArray(kZeroInRemark, sizeof kZeroInRemark - 1),
       u"Zero Byte In Install Script File On Line 5\nInstallation Aborted"_s},
      // A command beyond the table is refused before anything is done, never dropped.
      {ScriptText(QStringList(201, u"D:x"_s)).toUtf8(),
       u"More Than 200 Commands In Install Script File (Command 201 On Line 205)\n"
       u"Installation Aborted"_s},
  };
  for (const Case& c : cases) {
    QFile::remove(sandbox.Medium() + u"/VOVIVADU.ZED"_s);
    if (!c.script.isNull()) sandbox.WriteMedium(u"VOVIVADU.ZED"_s, c.script);
    boxes.boxes.clear();
    auto window = Open();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Initialised());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 0u);
    EXPECT_EQ(boxes.boxes[0].caption, u"Error"_s);
    EXPECT_EQ(boxes.boxes[0].text, c.text);
  }

  sandbox.WriteScript(ScriptText({u"C:@I"_s}));
  allocate = [](std::vector<char>&) { return false; };
  boxes.boxes.clear();
  auto window = Open();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(boxes.Texts(),
            QStringList{u"Insufficient Memory To Run Install\nInstallation Aborted"_s});
}

TEST_F(Window, ScriptJustBelowTheSizeLimitIsRead) {
  QString text = ScriptText(QStringList(200, u"D:x"_s));
  text += QString(61999 - text.size(), u'.');
  sandbox.WriteScript(text);
  auto window = Open();
  EXPECT_TRUE(window->Initialised());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Control<QProgressBar>(*window, SetupDlg::kOverallBar)->maximum(), 200);
}

TEST_F(Window, StartUpFillsTheWindow) {
  sandbox.WriteScript(ScriptText({u"M:@I\\A"_s, u"C:@I\\A"_s, u"D:x"_s}, u"M"_s, u"Dune Tools"_s));
  auto window = Open();
  ASSERT_TRUE(window->Initialised());
  EXPECT_EQ(window->windowTitle(), u"Setup - Dune Tools"_s);
  EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kWelcome)->text(),
            u"Welcome To Dune Tools Setup Program"_s);
  EXPECT_TRUE(Control<QLabel>(*window, SetupDlg::kNotice)->text().startsWith(u"Dune Tools "_s));
  EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kStatus)->text(),
            u"Installing From: "_s + sandbox.Medium());
  EXPECT_EQ(Control<QLineEdit>(*window, SetupDlg::kLocation)->text(), u"C:\\Install"_s);
  EXPECT_EQ(window->focusWidget(), Control<QLineEdit>(*window, SetupDlg::kLocation));
  EXPECT_EQ(Control<QProgressBar>(*window, SetupDlg::kFileBar)->maximum(), 100);
  EXPECT_EQ(Control<QProgressBar>(*window, SetupDlg::kOverallBar)->maximum(), 3);
  // Laid out in dialog units: every control lies inside the window.
  for (int id : {2000, 2001, 2011, 2012, 2013, 2014, 2015, 2016}) {
    QWidget* control = window->findChild<QWidget*>(QString::number(id));
    ASSERT_TRUE(control) << id;
    EXPECT_TRUE(window->rect().contains(control->geometry())) << id;
  }
  EXPECT_LT(Control<QPushButton>(*window, SetupDlg::kOk)->x(),
            Control<QPushButton>(*window, SetupDlg::kCancel)->x());
}

TEST_F(Window, OkInstallsIntoTheLocationAndEnds) {
  const QByteArray bytes = TestBytes(70000, 21);
  sandbox.WriteMedium(u"DATA.BI_"_s, MsCompressed(bytes));
  sandbox.WriteScript(ScriptText({u"M:@I\\data"_s, u"C:@I\\data"_s, u"E:DATA.BI_>data.bin"_s}));
  auto window = Open();
  auto* edit = Control<QLineEdit>(*window, SetupDlg::kLocation);
  edit->setText(sandbox.Location() + u"/"_s);
  ClickOk(*window);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->Outcome(), RunOutcome::Completed);
  EXPECT_EQ(window->State().location, sandbox.Location());
  EXPECT_EQ(window->State().mode, InstallMode::New);
  EXPECT_EQ(ReadAll(sandbox.Location() + u"/data/data.bin"_s), bytes);
  EXPECT_EQ(Control<QProgressBar>(*window, SetupDlg::kOverallBar)->value(), 3);
  EXPECT_EQ(Control<QProgressBar>(*window, SetupDlg::kFileBar)->value(), 100);
  EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kStatus)->text(),
            Native(u"Inflating File: "_s + sandbox.Medium() + u"/DATA.BI_ -> data.bin"_s));
  EXPECT_EQ(boxes.Texts(), QStringList{u"Installation Completed Successfully"_s});
  EXPECT_EQ(boxes.boxes[0].caption, u"Setup"_s);
}

TEST_F(Window, TheStatusLineShowsControlCharactersEscaped) {
  // A name that would clear a terminal and break the line.
  sandbox.WriteScript(ScriptText({u"D:\x1b[2Jgone\nx"_s}));
  auto window = Open();
  Control<QLineEdit>(*window, SetupDlg::kLocation)->setText(sandbox.Location());
  ClickOk(*window);
  EXPECT_EQ(window->Outcome(), RunOutcome::Completed);
  EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kStatus)->text(),
            u"Deleting File: \\x1B[2Jgone\\x0Ax"_s);
}

TEST_F(Window, UpdateQuestionMayReturnToTheLocation) {
  QDir().mkpath(sandbox.Location());
  WriteAll(sandbox.Location() + u"/MARK.ER"_s, "installed");
  sandbox.WriteScript(ScriptText({u"oM:@I\\new"_s, u"uM:@I\\upd"_s}));
  auto window = Open();
  Control<QLineEdit>(*window, SetupDlg::kLocation)->setText(sandbox.Location());
  boxes.Answer(idNo);
  ClickOk(*window);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].style, kBoxYesNo | kIconQuestion);
  EXPECT_EQ(boxes.boxes[0].caption, u"Question"_s);
  EXPECT_EQ(boxes.boxes[0].text,
            u"An Existing System Has Been Found In The Specified Location\n"
            u"Do You Want To Update That System?"_s);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(Control<QPushButton>(*window, SetupDlg::kOk)->isEnabled());
  EXPECT_TRUE(Control<QPushButton>(*window, SetupDlg::kCancel)->isEnabled());
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/upd"_s));

  boxes.Answer(idYes);
  ClickOk(*window);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->State().mode, InstallMode::Update);
  EXPECT_TRUE(QFileInfo::exists(sandbox.Location() + u"/upd"_s));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/new"_s));
}

TEST_F(Window, ALocationThatCantBeUsedIsNamedAndAnotherOneAsked) {
  sandbox.WriteScript(u"\"P\" \"L\" \"4294967295\" \"M\" \"M:@I\\x\""_s);
  std::int64_t free = 4294967294;
  freeSpace = [&free](const QString&) { return free; };
  WriteAll(sandbox.Path(u"file"_s), "not a folder");
  auto window = Open();
  auto* edit = Control<QLineEdit>(*window, SetupDlg::kLocation);
  const auto tryLocation = [&](const QString& location) {
    boxes.boxes.clear();
    edit->setText(location);
    ClickOk(*window);
    // Each failure leaves setup waiting at the location, ready for another one.
    EXPECT_TRUE(window->isVisible()) << location.toStdString();
    EXPECT_TRUE(Control<QPushButton>(*window, SetupDlg::kOk)->isEnabled());
    EXPECT_EQ(window->focusWidget(), edit);
    EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kStatus)->text(),
              u"Installing From: "_s + sandbox.Medium());
    EXPECT_EQ(boxes.boxes.size(), 1u);
    return boxes.boxes.empty() ? BoxRecord{} : boxes.boxes[0];
  };
  const QString again = u"\nEnter another location and press OK"_s;

  const BoxRecord noParent = tryLocation(sandbox.Path(u"no/parent"_s));
  EXPECT_EQ(noParent.caption, u"Error"_s);
  EXPECT_EQ(noParent.style, 0u);
  EXPECT_EQ(noParent.text,
            u"Unable To Change Into Directory: "_s + sandbox.Path(u"no/parent"_s) +
                u"\nThe folder above it does not exist (setup makes only one level)"_s +
                again);
  EXPECT_EQ(tryLocation(sandbox.Path(u"file"_s)).text,
            u"Unable To Change Into Directory: "_s + sandbox.Path(u"file"_s) +
                u"\nIt is a file, not a folder"_s + again);
  EXPECT_EQ(tryLocation(QString(600, u'a')).text,
            u"Unable To Change Into Directory: "_s + QString(600, u'a') +
                u"\nA location may be 510 characters long at most"_s + again);
  // Too little room: the folder just made for it is not left behind.
  EXPECT_EQ(tryLocation(sandbox.Location()).text,
            u"Insufficient Space On Destination Drive: "_s + sandbox.Location() +
                u"\n4294967294 bytes are free there, 4294967295 are needed"_s + again);
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location()));

  // More than 4 GB free passes whatever the script asks; the same window installs at last.
  free = std::int64_t{5} << 30;
  boxes.boxes.clear();
  edit->setText(sandbox.Location());
  ClickOk(*window);
  EXPECT_EQ(boxes.Texts(), QStringList{u"Installation Completed Successfully"_s});
  EXPECT_EQ(window->Outcome(), RunOutcome::Completed);
  EXPECT_TRUE(QFileInfo(sandbox.Location() + u"/x"_s).isDir());
}

TEST_F(Window, ADriveLetterTakesTheWinePrefixsDriveOrAPlaceInTheHomeFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a drive letter is the system's own";
#endif
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  const QByteArray saved = qgetenv("WINEPREFIX");
  const QString prefix = sandbox.Path(u"prefix"_s);
  qputenv("WINEPREFIX", QFile::encodeName(prefix));
  auto window = Open();
  auto* edit = Control<QLineEdit>(*window, SetupDlg::kLocation);
  edit->setText(u"D:\\Games\\Dune Tools\\"_s);
  ClickOk(*window);
  // No error: the home folder's place is proposed, with a word why, and OK would take it.
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.Texts().join(u'|').toStdString();
  EXPECT_EQ(Control<QLabel>(*window, SetupDlg::kStatus)->text(),
            u"No drive D: here, so a folder in your home is proposed; OK installs there"_s);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(Control<QPushButton>(*window, SetupDlg::kOk)->isEnabled());
  EXPECT_EQ(window->focusWidget(), edit);
  EXPECT_EQ(edit->text(), QDir::homePath() + u"/Dune Tools"_s);
  EXPECT_FALSE(QFileInfo::exists(sandbox.Medium() + u"/D:"_s));

  // Inside a Wine prefix, its drive C: is the place.
  QDir().mkpath(prefix + u"/drive_c"_s);
  QDir().mkpath(prefix + u"/dosdevices"_s);
  ASSERT_TRUE(QFile::link(u"../drive_c"_s, prefix + u"/dosdevices/c:"_s));
  boxes.boxes.clear();
  edit->setText(u"C:\\Games"_s);
  ClickOk(*window);
  EXPECT_EQ(boxes.Texts(), QStringList{u"Installation Completed Successfully"_s});
  EXPECT_EQ(window->State().location, prefix + u"/drive_c/Games"_s);
  EXPECT_TRUE(QFileInfo(prefix + u"/drive_c/Games/x"_s).isDir());
  qputenv("WINEPREFIX", saved);
  if (saved.isEmpty()) qunsetenv("WINEPREFIX");
}

TEST_F(Window, GivingUpAtTheDiskPromptEndsSetup) {
  sandbox.WriteScript(ScriptText({u"I:2"_s, u"M:@I\\after"_s}));
  auto window = Open();
  Control<QLineEdit>(*window, SetupDlg::kLocation)->setText(sandbox.Location());
  boxes.Answer(idCancel).Answer(idYes);
  ClickOk(*window);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->Outcome(), RunOutcome::Stopped);
  EXPECT_EQ(boxes.Texts(), (QStringList{u"Insert Disk 2 Into Drive"_s,
                                        u"Are You Sure You Want To Abort The Installation?"_s,
                                        u"Installation Not Completed Successfully\n"
                                        u"Program Will Not Function Properly"_s}));
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location() + u"/after"_s));
}

TEST_F(Window, EscapeAndCancelLeaveWithoutAQuestion) {
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  auto window = Open();
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());

  auto second = Open();
  QTest::mouseClick(Control<QPushButton>(*second, SetupDlg::kCancel), Qt::LeftButton);
  EXPECT_FALSE(second->isVisible());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(QFileInfo::exists(sandbox.Location()));
}

TEST_F(Window, TypingStopsAtTwoHundredCharactersButALongProposalStaysWhole) {
  const QString proposal = u"/"_s + QString(300, u'p');
  sandbox.WriteScript(u"\"P\" \""_s + proposal + u"\" \"1\" \"M\" \"M:@I\\x\""_s);
  auto window = Open();
  auto* edit = Control<QLineEdit>(*window, SetupDlg::kLocation);
  EXPECT_EQ(edit->text(), proposal);
  edit->clear();
  QTest::keyClicks(edit, QString(250, u'a'));
  EXPECT_EQ(edit->text().size(), 200);
}

TEST_F(Window, ComesBackToTheFrontRestored) {
#ifdef _WIN32
  // Both starts share this thread, so the second has hung up before the first reads, and under
  // Wine the first then finds the pipe empty. Between two programs it is tested in
  // SecondStart.BringsTheFirstToTheFrontAndEnds.
  GTEST_SKIP() << "under Wine a pipe read after its writer hung up is empty";
#endif
  sandbox.WriteScript(ScriptText({u"M:@I\\x"_s}));
  auto window = Open();
  window->showMinimized();
  SingleInstance first(u"setup-test-"_s + QString::number(QCoreApplication::applicationPid()));
  ASSERT_TRUE(first.Claim());
  QObject::connect(&first, &SingleInstance::Activate, window.get(), &SetupDlg::BringToFront);
  SingleInstance second(u"setup-test-"_s + QString::number(QCoreApplication::applicationPid()));
  EXPECT_FALSE(second.Claim());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isMinimized(); }, 5000));
  EXPECT_TRUE(window->isVisible());
}

// The buttons of the box that is up, left to right, as the user reads them.
QStringList ButtonsShown(QWidget* box) {
  QList<QPushButton*> shown;
  for (QPushButton* button : box->findChildren<QPushButton*>()) {
    if (button->isVisibleTo(box)) shown << button;
  }
  std::sort(shown.begin(), shown.end(), [box](QPushButton* a, QPushButton* b) {
    return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
  });
  QStringList texts;
  for (QPushButton* button : shown) texts << button->text().remove(u'&');
  return texts;
}

// Shows a real box and does `act` on it once it is up; gives the answer.
int ShowAndDo(unsigned style, const std::function<void(QWidget*)>& act) {
  QTimer::singleShot(0, [act] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_TRUE(box);
    act(box);
  });
  return QtSetupMessageBox().Show(nullptr, style, u"Error"_s, u"Failed (x)"_s);
}

TEST(SetupBox, ButtonsStandInTheirOrderAndAnswerAsTheyShould) {
  QStringList shown;
  QString title;
  EXPECT_EQ(ShowAndDo(kBoxAbortRetryIgnore,
                      [&](QWidget* box) {
                        shown = ButtonsShown(box);
                        title = box->windowTitle();
                        // Neither the close box nor Escape answers a box without a way out.
                        box->close();
                        QTest::keyClick(box, Qt::Key_Escape);
                        ASSERT_TRUE(box->isVisible());
                        box->findChild<QPushButton*>(u"Ignore"_s)->click();
                      }),
            idIgnore);
  EXPECT_EQ(shown, (QStringList{u"Abort"_s, u"Retry"_s, u"Ignore"_s}));
  EXPECT_EQ(title, u"Error"_s);
  EXPECT_EQ(
      ShowAndDo(kBoxAbortRetryIgnore, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }),
      idAbort);
  EXPECT_EQ(ShowAndDo(kBoxAbortRetryIgnore,
                      [](QWidget* box) { box->findChild<QPushButton*>(u"Retry"_s)->click(); }),
            idRetry);
  EXPECT_EQ(ShowAndDo(kBoxYesNo | kIconQuestion,
                      [&](QWidget* box) {
                        shown = ButtonsShown(box);
                        box->close();
                        ASSERT_TRUE(box->isVisible());
                        box->findChild<QPushButton*>(u"No"_s)->click();
                      }),
            idNo);
  EXPECT_EQ(shown, (QStringList{u"Yes"_s, u"No"_s}));
  EXPECT_EQ(ShowAndDo(kBoxOkCancel | kIconExclamation,
                      [&](QWidget* box) {
                        shown = ButtonsShown(box);
                        QTest::keyClick(box, Qt::Key_Escape);
                      }),
            idCancel);
  EXPECT_EQ(shown, (QStringList{u"OK"_s, u"Cancel"_s}));
  EXPECT_EQ(ShowAndDo(0, [](QWidget* box) { box->close(); }), idOk);
}

}  // namespace
