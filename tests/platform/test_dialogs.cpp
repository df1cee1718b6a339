#include "folderbrowser.h"
#include "messagebox.h"
#include "rangeerror.h"
#include "scripteddialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

// Runs `act` on the shown dialog once its modal loop runs, and gives the dialog's answer.
MsgResult RunWith(MessageBox& box, std::function<void()> act) {
  QTimer::singleShot(0, &box, [act] { act(); });
  return box.Run();
}

MsgResult AnswerToKey(MsgButtons buttons, int key) {
  MessageBox box(MsgKind::Confirmation, QStringLiteral("Question?"), buttons);
  bool stillOpen = false;
  const MsgResult answer = RunWith(box, [&] {
    QTest::keyClick(&box, Qt::Key(key));
    if (box.isVisible()) {
      stillOpen = true;
      box.close();  // the close box, to end the test's modal loop
    }
  });
  return stillOpen ? MsgResult::None : answer;
}

TEST(MessageBox, EachKindHasItsTitle) {
  EXPECT_EQ(MessageBox(MsgKind::Warning, {}, mbOK).windowTitle(), QStringLiteral("Warning"));
  EXPECT_EQ(MessageBox(MsgKind::Error, {}, mbOK).windowTitle(), QStringLiteral("Error"));
  EXPECT_EQ(MessageBox(MsgKind::Information, {}, mbOK).windowTitle(),
            QStringLiteral("Information"));
  EXPECT_EQ(MessageBox(MsgKind::Confirmation, {}, mbOK).windowTitle(), QStringLiteral("Confirm"));
  EXPECT_EQ(MessageBox(MsgKind::Warning, {}, mbOK).icon(), QMessageBox::Warning);
  EXPECT_EQ(MessageBox(MsgKind::Error, {}, mbOK).icon(), QMessageBox::Critical);
  EXPECT_EQ(MessageBox(MsgKind::Information, {}, mbOK).icon(), QMessageBox::Information);
  EXPECT_EQ(MessageBox(MsgKind::Confirmation, {}, mbOK).icon(), QMessageBox::Question);
}

TEST(MessageBox, ButtonsStandInTheirFixedOrder) {
  MessageBox box(MsgKind::Warning, QStringLiteral("Text"),
                 mbRetry | mbCancel | mbYes | mbOK | mbAbort | mbNo);
  box.show();
  QApplication::processEvents();
  std::vector<std::pair<int, QString>> placed;
  for (QAbstractButton* b : box.buttons()) {
    if (b->isVisible()) placed.emplace_back(b->x(), b->text());
  }
  std::sort(placed.begin(), placed.end());
  QStringList order;
  for (const auto& [x, text] : placed) order << text;
  EXPECT_EQ(order, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("OK"),
                                QStringLiteral("Cancel"), QStringLiteral("&Abort"),
                                QStringLiteral("&Retry")}));
  box.close();
}

TEST(MessageBox, EveryBoxKeepsItsCloseBox) {
  // The window system greys the close box of a box without an escape button.
  for (MsgButtons set :
       {MsgButtons(mbYes | mbNo), MsgButtons(mbAbort | mbRetry), MsgButtons(mbOK)}) {
    MessageBox box(MsgKind::Warning, QStringLiteral("Text"), set);
    ASSERT_NE(box.escapeButton(), nullptr);
    EXPECT_FALSE(box.escapeButton()->isVisibleTo(&box));
  }
}

TEST(MessageBox, ShowsTheTextWithLineBreaks) {
  MessageBox box(MsgKind::Warning, QStringLiteral("one\ntwo"), mbOK);
  bool found = false;
  for (QLabel* label : box.findChildren<QLabel*>())
    found = found || label->text() == QStringLiteral("one\ntwo");
  EXPECT_TRUE(found);
}

TEST(MessageBox, EnterPressesOkElseYesElseRetry) {
  EXPECT_EQ(AnswerToKey(mbYes | mbNo | mbOK | mbCancel, Qt::Key_Return), MsgResult::OK);
  EXPECT_EQ(AnswerToKey(mbYes | mbNo | mbCancel, Qt::Key_Return), MsgResult::Yes);
  EXPECT_EQ(AnswerToKey(mbAbort | mbRetry, Qt::Key_Enter), MsgResult::Retry);
  EXPECT_EQ(AnswerToKey(mbAbort, Qt::Key_Return), MsgResult::None);
}

TEST(MessageBox, EscapePressesCancelElseNoElseOk) {
  EXPECT_EQ(AnswerToKey(mbYes | mbNo | mbCancel, Qt::Key_Escape), MsgResult::Cancel);
  EXPECT_EQ(AnswerToKey(mbYes | mbNo, Qt::Key_Escape), MsgResult::No);
  EXPECT_EQ(AnswerToKey(mbOK, Qt::Key_Escape), MsgResult::OK);
  EXPECT_EQ(AnswerToKey(mbAbort | mbRetry, Qt::Key_Escape), MsgResult::None);
}

TEST(MessageBox, CloseBoxAnswersCancelAndClicksAnswerTheirButton) {
  MessageBox yesNo(MsgKind::Warning, QStringLiteral("Sure?"), mbYes | mbNo);
  EXPECT_EQ(RunWith(yesNo, [&] { yesNo.close(); }), MsgResult::Cancel);

  MessageBox abortRetry(MsgKind::Warning, QStringLiteral("Failed"), mbAbort | mbRetry);
  EXPECT_EQ(RunWith(abortRetry, [&] { abortRetry.ButtonFor(mbAbort)->click(); }), MsgResult::Abort);
  EXPECT_EQ(RunWith(abortRetry, [&] { abortRetry.ButtonFor(mbRetry)->click(); }), MsgResult::Retry);
}

TEST(FolderBrowser, TheCallbackPreselectsShowsAndDecidesOk) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath(QStringLiteral("good"));
  QDir(dir.path()).mkpath(QStringLiteral("bad"));
  QStringList events;
  BrowseRequest request{QStringLiteral("Pick one"),
                        [&](BrowserControl& b, BrowseEvent e, const QString& path) {
                          if (e == BrowseEvent::Initialized) {
                            events << QStringLiteral("init");
                            b.SelectFolder(dir.filePath(QStringLiteral("bad")));
                            return 0;
                          }
                          events << path;
                          b.SetStatusText(QStringLiteral("at ") + path);
                          b.EnableOK(path.endsWith(QStringLiteral("good")));
                          return 0;
                        }};
  FolderBrowser browser(request);
  auto* ok = browser.findChild<QPushButton*>(QStringLiteral("OK"));
  auto* status = browser.findChild<QLabel*>(QStringLiteral("Status"));
  ASSERT_TRUE(ok && status);
  EXPECT_EQ(events.value(0), QStringLiteral("init"));
  EXPECT_EQ(browser.SelectedFolder(),
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("bad"))));
  EXPECT_FALSE(ok->isEnabled());
  browser.SelectFolder(dir.filePath(QStringLiteral("good")));
  EXPECT_TRUE(ok->isEnabled());
  EXPECT_EQ(status->text(),
            QStringLiteral("at ") + QDir::toNativeSeparators(dir.filePath(QStringLiteral("good"))));
  EXPECT_EQ(browser.findChild<QLabel*>(QStringLiteral("Title"))->text(),
            QStringLiteral("Pick one"));
}

TEST(FolderBrowser, ScrollsToThePreselectedFolder) {
  QTemporaryDir dir;
  for (int i = 0; i < 150; ++i)
    QDir(dir.path()).mkpath(QStringLiteral("d%1").arg(i, 3, 10, QChar(u'0')));
  const QString last = dir.filePath(QStringLiteral("d140"));
  BrowseRequest request{QStringLiteral("Pick one"),
                        [&](BrowserControl& b, BrowseEvent e, const QString&) {
                          if (e == BrowseEvent::Initialized) b.SelectFolder(last);
                          return 0;
                        }};
  FolderBrowser browser(request);
  browser.show();
  auto* tree = browser.findChild<QTreeView*>(QStringLiteral("Folders"));
  ASSERT_TRUE(tree);
  const auto inSight = [tree] {
    const QRect row = tree->visualRect(tree->currentIndex());
    return row.isValid() && tree->viewport()->rect().contains(row);
  };
  // Its siblings are read in the background; the row stays in sight once they are all there.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return tree->model()->rowCount(tree->currentIndex().parent()) == 150; }));
  QTest::qWait(50);
  EXPECT_TRUE(inSight());
  EXPECT_EQ(browser.SelectedFolder(), QDir::toNativeSeparators(last));
}

TEST(Rules, EnterAndEscapeAnswers) {
  EXPECT_EQ(EnterAnswer(mbYes | mbNo), MsgResult::Yes);
  EXPECT_EQ(EnterAnswer(mbOK | mbCancel), MsgResult::OK);
  EXPECT_EQ(EnterAnswer(mbAbort | mbRetry), MsgResult::Retry);
  EXPECT_EQ(EscapeAnswer(mbOK | mbCancel), MsgResult::Cancel);
  EXPECT_EQ(EscapeAnswer(mbYes | mbNo), MsgResult::No);
  EXPECT_EQ(EscapeAnswer(mbOK), MsgResult::OK);
  EXPECT_EQ(EscapeAnswer(mbAbort | mbRetry), MsgResult::None);
}

TEST(ScriptedResponder, AnswersQuestionsInOrderAndNoticesItself) {
  ScriptedDialogs dialogs;
  dialogs.Answer(MsgResult::No).Answer(MsgResult::Yes);
  EXPECT_EQ(MessageDlg(MsgKind::Confirmation, QStringLiteral("first?"), mbYes | mbNo),
            MsgResult::No);
  EXPECT_EQ(MessageDlg(MsgKind::Information, QStringLiteral("notice"), mbOK), MsgResult::OK);
  EXPECT_EQ(MessageDlg(MsgKind::Warning, QStringLiteral("second?"), mbYes | mbNo), MsgResult::Yes);
  EXPECT_EQ(dialogs.unexpected, 0);
  EXPECT_EQ(MessageDlg(MsgKind::Warning, QStringLiteral("unscripted?"), mbYes | mbNo),
            MsgResult::Cancel);
  EXPECT_EQ(dialogs.unexpected, 1);
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{QStringLiteral("first?"), QStringLiteral("notice"),
                         QStringLiteral("second?"), QStringLiteral("unscripted?")}));
}

// Responders need not end in the order they began: one held apart from the test's scope may go
// first, and the later one must go on answering, then give way to what answered before both.
TEST(ScriptedResponder, OneEndingOutOfTurnLeavesTheOthersInPlace) {
  DialogService* before = &Dialogs();
  auto earlier = std::make_unique<ScriptedDialogs>();
  {
    ScriptedDialogs later;
    later.Answer(MsgResult::No);
    earlier.reset();
    EXPECT_EQ(MessageDlg(MsgKind::Confirmation, QStringLiteral("still asked?"), mbYes | mbNo),
              MsgResult::No);
    EXPECT_EQ(later.Texts(), QStringList{QStringLiteral("still asked?")});
  }
  EXPECT_EQ(&Dialogs(), before);
}

// An object whose event handling fails the way a bad table lookup does.
class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw ERangeError(RangeMessage(22, 21));
    return QObject::event(e);
  }
};

TEST(DefaultErrorHandling, ShowsAnUncaughtRangeErrorAndGoesOn) {
  ScriptedDialogs dialogs;
  Thrower thrower;
  QEvent event(QEvent::User);
  QApplication::sendEvent(&thrower, &event);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].type, ScriptedDialogs::Type::Exception);
  EXPECT_EQ(dialogs.log[0].text, QStringLiteral("22 is not within the valid range of 1..21"));
}

}  // namespace
