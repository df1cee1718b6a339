// The feedback form driven as a user drives it: its controls, the checks before sending, the
// message it composes, the server it picks, and what it shows on success and on failure.

#include "feedbackform.h"
#include "feedbackpresets.h"
#include "mailmessage.h"
#include "mailsupport.h"
#include "missingsocketlibrary.h"
#include "programinfo.h"
#include "scripteddialogs.h"
#include "smtpclient.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "registrykeys.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kMailbox = u"beta@pellworth.example"_s;

// Points the form's mailbox and servers elsewhere through the registry, as a deployment does.
bool PointFormAt(const QString& uk, const QString& usa, const QString& mailbox = kMailbox) {
  return RegWriteString(RegRoot::CurrentUser, kOwnKey, kFeedbackServerUkValue, uk) &&
         RegWriteString(RegRoot::CurrentUser, kOwnKey, kFeedbackServerUsaValue, usa) &&
         RegWriteString(RegRoot::CurrentUser, kOwnKey, kFeedbackMailboxValue, mailbox);
}

QString ClosedServer() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost);
  return u"127.0.0.1:"_s + QString::number(probe.serverPort());
}

class FeedbackForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TF_FB>();
    form->show();
    Child<TmsSMTP>(u"SMTP"_s)->SetTimeOut(5);
  }
  void TearDown() override {
    PointFormAt({}, {}, {});
    EXPECT_EQ(dialogs.unexpected, 0);
    EXPECT_EQ(MsTempFiles(), QStringList());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  template <class T>
  T* Child(const QString& name) const {
    T* child = form->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
  }

  void Fill(const QString& address, const QString& feedback) {
    QTest::keyClicks(Child<QLineEdit>(u"E_EMailAddr"_s), address);
    Child<QPlainTextEdit>(u"M_Feedback"_s)->setPlainText(feedback);
  }
  void ClickSend() { QTest::mouseClick(Child<QToolButton>(u"SpeedButton1"_s), Qt::LeftButton); }
  QString Status() const { return Child<QLabel>(u"HelpPanel1"_s)->text(); }

  // Points the UK server at the real mail server.
  void UseSink(const QString& usa = ClosedServer()) {
    ASSERT_TRUE(SmtpSink::Instance().Ok()) << SmtpSink::Instance().Error().toStdString();
    ASSERT_TRUE(PointFormAt(SmtpSink::Instance().Server(), usa));
  }

  ScriptedDialogs dialogs;
  std::unique_ptr<TF_FB> form;
};

}  // namespace

TEST_F(FeedbackForm, ControlsTextsAndHints) {
  EXPECT_EQ(form->size(), QSize(518, 350));
  EXPECT_EQ(form->windowTitle(), u"Send Beta Version Feedback To P.W.S"_s);
  const QList<std::pair<QString, QString>> labels = {
      {u"L_FormCapt"_s, u"Beta Version Feedback Form"_s},
      {u"Label2"_s, u"Version #"_s},
      {u"Label3"_s, u"User Name"_s},
      {u"Label6"_s, u"Mail Server"_s},
      {u"Label9"_s, u"Feedback Type"_s},
      {u"Label5"_s, u"Your E-Mail"_s},
      {u"Label1"_s, u"Your Comments"_s}};
  for (const auto& [name, text] : labels)
    EXPECT_EQ(Child<QLabel>(name)->text(), text) << name.toStdString();
  const QList<std::pair<QString, QString>> hints = {
      {u"E_Ver"_s, u"Version of application (Automatic)"_s},
      {u"E_UName"_s, u"User Name (Automatic)"_s},
      {u"CB_MailServer"_s, u"Select which ever location is nearest to you"_s},
      {u"CB_Subject"_s,
       u"Select what kind of feedback it is (choose from two in list, or enter your own)"_s},
      {u"E_EMailAddr"_s, u"Enter your E-mail address here (Required)"_s},
      {u"SpeedButton1"_s, u"Send Mail"_s},
      {u"CancelButton"_s, u"Close window"_s}};
  for (const auto& [name, hint] : hints)
    EXPECT_EQ(Child<QWidget>(name)->toolTip(), hint) << name.toStdString();

  EXPECT_EQ(Child<QLineEdit>(u"E_Ver"_s)->text(), FileVersionText());
  EXPECT_TRUE(Child<QLineEdit>(u"E_Ver"_s)->isReadOnly());
  EXPECT_TRUE(Child<QLineEdit>(u"E_UName"_s)->text().isEmpty());
  EXPECT_TRUE(Child<QLineEdit>(u"E_UName"_s)->isReadOnly());
  auto* servers = Child<QComboBox>(u"CB_MailServer"_s);
  EXPECT_FALSE(servers->isEditable());
  EXPECT_EQ(servers->count(), 2);
  EXPECT_EQ(servers->currentText(), u"UK Server"_s);
  auto* kinds = Child<QComboBox>(u"CB_Subject"_s);
  EXPECT_TRUE(kinds->isEditable());
  EXPECT_EQ(kinds->count(), 3);
  EXPECT_EQ(kinds->currentText(), u"Bug Report"_s);
  EXPECT_EQ(Child<QToolButton>(u"SpeedButton1"_s)->text(), u"&Send"_s);
  EXPECT_EQ(Child<QToolButton>(u"CancelButton"_s)->text(), u"&Close"_s);
  EXPECT_EQ(Child<QStatusBar>(u"HelpPanel"_s)->geometry(), QRect(0, 331, 518, 19));
  EXPECT_EQ(Child<QLabel>(u"HelpPanel0"_s)->width(), 150);
  EXPECT_TRUE(Status().isEmpty());
}

TEST_F(FeedbackForm, TabOrder) {
  QApplication::setActiveWindow(form.get());
  Child<QLineEdit>(u"E_Ver"_s)->setFocus();
  QStringList visited{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* w = QApplication::focusWidget();
    // The editable combo box's line edit stands for the combo box.
    while (w && w->objectName().isEmpty()) w = w->parentWidget();
    visited << (w ? w->objectName() : QString());
  }
  EXPECT_EQ(visited, (QStringList{u"E_Ver"_s, u"E_UName"_s, u"E_EMailAddr"_s, u"M_Feedback"_s,
                                  u"CB_MailServer"_s, u"CB_Subject"_s}));
}

TEST_F(FeedbackForm, EmptyAddressIsRefusedAndNothingSent) {
  Fill(QString(), u"Some text"_s);
  ClickSend();
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Information);
  EXPECT_EQ(dialogs.log[0].text, u"You need to specify your mail address"_s);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbOK));
  EXPECT_TRUE(Status().isEmpty());
  EXPECT_EQ(Child<TmsMessage>(u"MailMsg"_s)->Recipients().Count(), 0);
}

TEST_F(FeedbackForm, EmptyFeedbackAsksAndNoSendsNothing) {
  Fill(u"tester@example.org"_s, QString());
  dialogs.Answer(MsgResult::No);
  ClickSend();
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].text,
            u"You haven't typed anything in the feedback window, is this OK to send?"_s);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo));
  EXPECT_TRUE(Status().isEmpty());
  EXPECT_TRUE(form->isEnabled());
}

TEST_F(FeedbackForm, EmptyFeedbackConfirmedSendsTheFixedLines) {
  SKIP_WITHOUT_MAIL_SERVER();
  ASSERT_NO_FATAL_FAILURE(UseSink());
  const int before = SmtpSink::Instance().Count();
  Fill(u"tester@example.org"_s, QString());
  dialogs.Answer(MsgResult::Yes);
  ClickSend();
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  EXPECT_EQ(dialogs.Texts().last(), u"Mail Sent Successfully."_s);
  EXPECT_EQ(SmtpSink::Instance().Info(before + 1)[u"body"].toString(), u"\n[Beta Version]\n\n\n"_s);
}

TEST_F(FeedbackForm, SuccessfulSendComposesTheMessageAndStaysOpen) {
  SKIP_WITHOUT_MAIL_SERVER();
  ASSERT_NO_FATAL_FAILURE(UseSink());
  const int before = SmtpSink::Instance().Count();
  // Blanks around a pasted address are no part of it.
  Fill(u"  tester@example.org "_s,
       u"The Trike turns too slowly.\n.hidden line\n.\nGr\u00FC\u00DFe\n"_s);

  bool disabledWhileSending = false;
  bool busyWhileSending = false;
  QStringList progress;
  auto* smtp = Child<TmsSMTP>(u"SMTP"_s);
  QObject::connect(smtp, &TmsSMTP::OnOpen, form.get(), [&] { progress << Status(); });
  QObject::connect(smtp, &TmsSMTP::OnSending, form.get(), [&] {
    progress << Status();
    // Everything but Close, which stays to abort the send.
    disabledWhileSending = !Child<QToolButton>(u"SpeedButton1"_s)->isEnabled() &&
                           !Child<QLineEdit>(u"E_EMailAddr"_s)->isEnabled() &&
                           !Child<QPlainTextEdit>(u"M_Feedback"_s)->isEnabled() &&
                           !Child<QComboBox>(u"CB_Subject"_s)->isEnabled() &&
                           Child<QToolButton>(u"CancelButton"_s)->isEnabled();
    busyWhileSending =
        QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  ClickSend();

  EXPECT_EQ(progress, (QStringList{u"Opening Connection"_s, u"Sending Mail..."_s}));
  EXPECT_TRUE(disabledWhileSending);
  EXPECT_TRUE(busyWhileSending);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].type, ScriptedDialogs::Type::Plain);
  EXPECT_EQ(dialogs.log[0].text, u"Mail Sent Successfully."_s);
  EXPECT_TRUE(Status().isEmpty());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Child<QToolButton>(u"SpeedButton1"_s)->isEnabled());

  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  const QJsonObject info = SmtpSink::Instance().Info(before + 1);
  EXPECT_EQ(info[u"mail_from"].toString(), u"tester@example.org"_s);
  EXPECT_EQ(info[u"from_name"].toString(), QString());
  EXPECT_EQ(info[u"rcpt_tos"].toArray().toVariantList(), QVariantList{kMailbox});
  EXPECT_EQ(info[u"to"].toArray()[0].toArray()[0].toString(),
            u"Saltmarch 98 : Glass Horizon (\u00DF 1.2) Feedback"_s);
  EXPECT_EQ(info[u"subject"].toString(),
            u"Saltmarch 98 v"_s + FileVersionText() + u" Bug Report"_s);
  EXPECT_EQ(
      info[u"body"].toString(),
      u"\n[Beta Version]\n\nThe Trike turns too slowly.\n.hidden line\n.\nGr\u00FC\u00DFe\n\n"_s);

  // The form sends again from its fields as they are now.
  ClickSend();
  EXPECT_EQ(SmtpSink::Instance().Count(), before + 2);
  EXPECT_EQ(SmtpSink::Instance().Info(before + 2)[u"body"], info[u"body"]);
}

TEST_F(FeedbackForm, TypedFeedbackTypeEndsTheSubject) {
  SKIP_WITHOUT_MAIL_SERVER();
  ASSERT_NO_FATAL_FAILURE(UseSink());
  const int before = SmtpSink::Instance().Count();
  Fill(u"tester@example.org"_s, u"text"_s);
  QLineEdit* typed = Child<QComboBox>(u"CB_Subject"_s)->lineEdit();
  typed->selectAll();
  QTest::keyClicks(typed, u"Balance Idea"_s);
  ClickSend();
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  EXPECT_EQ(SmtpSink::Instance().Info(before + 1)[u"subject"].toString(),
            u"Saltmarch 98 v"_s + FileVersionText() + u" Balance Idea"_s);
}

TEST_F(FeedbackForm, ServerChoice) {
  SKIP_WITHOUT_MAIL_SERVER();
  ScriptedSmtpServer usa;
  ASSERT_NO_FATAL_FAILURE(UseSink(usa.Server()));
  const int before = SmtpSink::Instance().Count();
  Fill(u"tester@example.org"_s, u"text"_s);
  ClickSend();
  EXPECT_EQ(SmtpSink::Instance().Count(), before + 1);
  EXPECT_EQ(usa.connections, 0);

  auto* servers = Child<QComboBox>(u"CB_MailServer"_s);
  servers->setFocus();
  QTest::keyClick(servers, Qt::Key_Down);
  ASSERT_EQ(servers->currentText(), u"USA Server"_s);
  ClickSend();
  EXPECT_EQ(usa.connections, 1);
  EXPECT_EQ(SmtpSink::Instance().Count(), before + 1);
  EXPECT_EQ(dialogs.Texts(),
            (QStringList{u"Mail Sent Successfully."_s, u"Mail Sent Successfully."_s}));
}

TEST_F(FeedbackForm, PresetsComeFromTheRegistryOrAreBuiltIn) {
  ASSERT_TRUE(PointFormAt(u"uk.test:2525"_s, u"usa.test"_s, u"box@test"_s));
  FeedbackPresets p = LoadFeedbackPresets();
  EXPECT_EQ(p.ukServer, u"uk.test:2525"_s);
  EXPECT_EQ(p.usaServer, u"usa.test"_s);
  EXPECT_EQ(p.mailbox, u"box@test"_s);
  PointFormAt({}, {}, {});
  p = LoadFeedbackPresets();
  const FeedbackPresets builtIn = BuiltInFeedbackPresets();
  EXPECT_EQ(p.ukServer, builtIn.ukServer);
  EXPECT_EQ(p.usaServer, builtIn.usaServer);
  EXPECT_EQ(p.mailbox, builtIn.mailbox);
  EXPECT_NE(builtIn.ukServer, builtIn.usaServer);
}

TEST_F(FeedbackForm, FailedSendShowsTheErrorAndEnablesTheForm) {
  ASSERT_TRUE(PointFormAt(ClosedServer(), ClosedServer()));
  Fill(u"tester@example.org"_s, u"text"_s);
  ClickSend();
  EXPECT_EQ(Status(), u"Error : [10061] Connection refused"_s);
  ASSERT_EQ(dialogs.log.size(), 1u);
  EXPECT_EQ(dialogs.log[0].type, ScriptedDialogs::Type::Plain);
  EXPECT_EQ(dialogs.log[0].text, u"[10061] Connection refused"_s);
  EXPECT_TRUE(form->isEnabled());
  EXPECT_TRUE(form->isVisible());
}

TEST_F(FeedbackForm, RefusalKeepsTheLastProgressTextAndShowsTheReply) {
  ScriptedSmtpServer server;
  server.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("RCPT")) return "554 5.7.1 Relay access denied\r\n";
    return std::nullopt;
  };
  ASSERT_TRUE(PointFormAt(server.Server(), ClosedServer()));
  Fill(u"tester@example.org"_s, u"text"_s);
  ClickSend();
  EXPECT_EQ(Status(), u"Sending Mail..."_s);
  EXPECT_EQ(dialogs.Texts(), QStringList{u"554 5.7.1 Relay access denied"_s});
  EXPECT_EQ(server.commands.last(), "QUIT");
  EXPECT_TRUE(form->isEnabled());
}

TEST_F(FeedbackForm, MissingSocketLibraryIsReported) {
  TagWinsock::Instance().SetLoaded(false);
  {
    MissingSocketLibrary missing;
    Fill(u"tester@example.org"_s, u"text"_s);
    ClickSend();
  }
  EXPECT_EQ(dialogs.Texts(), QStringList{u"Winsock not found"_s});
  EXPECT_TRUE(Status().isEmpty());
  EXPECT_TRUE(form->isEnabled());
}

TEST_F(FeedbackForm, EscapeKeepsTheFormAndCloseClosesIt) {
  Fill(u"tester@example.org"_s, u"half-written report"_s);
  QTest::keyClick(Child<QLineEdit>(u"E_EMailAddr"_s), Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());
  QTest::mouseClick(Child<QToolButton>(u"CancelButton"_s), Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Rejected);
}

TEST_F(FeedbackForm, CloseAndEscapeAbortASendInProgress) {
  // A server that never answers: without the abort the form would stay busy for its time-out
  // (60 s); an abort that is seen only at the next event would take tens of seconds.
  ScriptedSmtpServer silent;
  silent.greeting = {};
  ASSERT_TRUE(PointFormAt(silent.Server(), ClosedServer()));
  Child<TmsSMTP>(u"SMTP"_s)->SetTimeOut(60);
  Fill(u"tester@example.org"_s, u"text"_s);

  // Escape aborts the send and keeps the form with what was written.
  QTimer::singleShot(100, form.get(), [this] { QTest::keyClick(form.get(), Qt::Key_Escape); });
  QElapsedTimer clock;
  clock.start();
  ClickSend();
  EXPECT_LT(clock.elapsed(), 10000);
  EXPECT_EQ(dialogs.Texts(), QStringList{u"Operation has been canceled"_s});
  EXPECT_EQ(Status(), u"Error : Operation has been canceled"_s);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(Child<QToolButton>(u"SpeedButton1"_s)->isEnabled());

  // Close aborts it as well and closes the form, without a box about the abort.
  QTimer::singleShot(100, form.get(), [this] {
    QTest::mouseClick(Child<QToolButton>(u"CancelButton"_s), Qt::LeftButton);
  });
  clock.restart();
  ClickSend();
  EXPECT_LT(clock.elapsed(), 10000);
  EXPECT_EQ(dialogs.log.size(), 1u);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(silent.connections, 2);
}
