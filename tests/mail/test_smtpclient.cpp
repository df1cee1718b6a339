// The SMTP client against a scripted server (refusals, odd replies, silence, dropped and
// refused connections) and against a real one (aiosmtpd), and the socket layer beneath it.

#include "mailerrors.h"
#include "mailmessage.h"
#include "mailsupport.h"
#include "missingsocketlibrary.h"
#include "smtpclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QJsonArray>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Outcome {
  QString kind;  // "ok" or the exception's class
  QString message;
};

Outcome SendNow(TmsSMTP& smtp) {
  try {
    smtp.Send();
    return {u"ok"_s, {}};
  } catch (const ESocketError& e) {
    return {u"ESocketError"_s, e.Message()};
  } catch (const EServerError& e) {
    return {u"EServerError"_s, e.Message()};
  } catch (const ETimedOutError& e) {
    return {u"ETimedOutError"_s, e.Message()};
  } catch (const ECanceledError& e) {
    return {u"ECanceledError"_s, e.Message()};
  } catch (const EWinsockDLLError& e) {
    return {u"EWinsockDLLError"_s, e.Message()};
  } catch (const EMessageError& e) {
    return {u"EMessageError"_s, e.Message()};
  }
}

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << o.kind.toStdString() << ": " << o.message.toStdString();
}

bool operator==(const Outcome& a, const Outcome& b) {
  return a.kind == b.kind && a.message == b.message;
}

// A port on 127.0.0.1 where nobody listens.
quint16 ClosedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost);
  return probe.serverPort();
}

// What goes over the wire for the data: every line that begins with "." gets one more.
QByteArray Stuffed(const QByteArray& text) {
  QByteArray out;
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

class SmtpTest : public ::testing::Test {
 protected:
  SmtpTest() {
    smtp.SetWinsockLoaded(true);
    smtp.SetMailMessage(&msg);
    smtp.SetTimeOut(5);
    msg.Sender().SetAddress(u"tester@example.org"_s);
    msg.Recipients().Add(u"support@example.com"_s, u"Support"_s);
    msg.SetSubject(u"Saltmarch 98 v1.2.0.98 Bug Report"_s);
    msg.Body() << QString() << u"[Beta Version]"_s << QString() << u"Text"_s;
    QObject::connect(&smtp, &TmsSMTP::OnOpen, [this] { events << u"Open"_s; });
    QObject::connect(&smtp, &TmsSMTP::OnSending, [this] {
      events << u"Sending"_s;
      tempFilesWhileSending = MsTempFiles();
    });
    QObject::connect(&smtp, &TmsSMTP::OnMailSent, [this] { events << u"MailSent"_s; });
    QObject::connect(&smtp, &TmsSMTP::OnError,
                     [this](const QString& text) { events << u"Error:"_s + text; });
  }
  void TearDown() override {
    EXPECT_EQ(MsTempFiles(), QStringList()) << "a temporary file is left";
  }

  static QByteArray Helo() {
    return "HELO " +
           TagSocket::HeloName(QHostInfo::localHostName(), QHostAddress::LocalHost).toUtf8();
  }

  TmsMessage msg;
  TmsSMTP smtp;
  QStringList events;
  QStringList tempFilesWhileSending;
};

}  // namespace

TEST_F(SmtpTest, FullConversationWithMultiLineRepliesAndDotTransparency) {
  ScriptedSmtpServer server;
  // The greeting comes in pieces, one line split in the middle, with pauses between.
  server.greeting = {"220-scripted.test ESMTP\r\n220-second line\r\n220-thi", "rd line\r\n",
                     "220 ready\r\n"};
  server.pieceDelayMs = 30;
  server.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("HELO")) return "250-scripted.test\r\n250-SIZE 1000\r\n250 HELP\r\n";
    return std::nullopt;
  };
  msg.CC().Add(u"cc@example.com"_s, u"Copy"_s);
  msg.BCC().Add(u"bcc@example.com"_s, u"Blind"_s);
  msg.Body() << u".x"_s << u"."_s << u"..y"_s << u"after"_s;
  smtp.SetServer(server.Server());

  EXPECT_EQ(SendNow(smtp), (Outcome{u"ok"_s, {}}));
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Sending"_s, u"MailSent"_s}));
  EXPECT_EQ(server.commands,
            (QList<QByteArray>{Helo(), "MAIL FROM:<tester@example.org>",
                               "RCPT TO:<support@example.com>", "RCPT TO:<cc@example.com>",
                               "RCPT TO:<bcc@example.com>", "DATA", ".", "QUIT"}));
  // Every reply was read to its end: the last one read is QUIT's.
  EXPECT_EQ(smtp.LastReply(), u"221 2.0.0 Bye"_s);
  EXPECT_EQ(smtp.ReplyCode(), 221);
  // The message went out whole, its dot lines doubled, followed by the closing empty line.
  const QByteArray encoded = TmsMessageEncoder(msg).Encode();
  EXPECT_EQ(server.data, Stuffed(encoded) + "\r\n");
  EXPECT_TRUE(server.data.contains("\r\n..x\r\n..\r\n...y\r\nafter\r\n"));
  // The encoded message waited in a temporary file named "ms...", gone now.
  ASSERT_EQ(tempFilesWhileSending.size(), 1);
  EXPECT_TRUE(tempFilesWhileSending[0].startsWith(u"ms"_s));
  // The message itself is left as it was.
  EXPECT_TRUE(msg.Body().contains(u"."_s));
}

TEST_F(SmtpTest, LargeMessageGoesOutWhole) {
  ScriptedSmtpServer server;
  for (int i = 0; i < 3000; ++i)
    msg.Body() << u"Line %1: the quick brown fox jumps over the lazy dog"_s.arg(i);
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  EXPECT_EQ(server.data, Stuffed(TmsMessageEncoder(msg).Encode()) + "\r\n");
}

TEST_F(SmtpTest, BareHeloIsTriedWhenHeloWithNameIsRefused) {
  ScriptedSmtpServer server;
  server.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("HELO ")) return "501 5.5.4 Invalid domain name\r\n";
    return std::nullopt;
  };
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  ASSERT_GE(server.commands.size(), 2);
  EXPECT_EQ(server.commands[0], Helo());
  EXPECT_EQ(server.commands[1], "HELO");

  // When the bare HELO is refused as well, its reply is the message.
  ScriptedSmtpServer strict;
  strict.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("HELO ")) return "501 5.5.4 Invalid domain name\r\n";
    if (c == "HELO") return "501 5.5.4 Syntax: HELO hostname\r\n";
    return std::nullopt;
  };
  smtp.SetServer(strict.Server());
  events.clear();
  EXPECT_EQ(SendNow(smtp), (Outcome{u"EServerError"_s, u"501 5.5.4 Syntax: HELO hostname"_s}));
  EXPECT_EQ(strict.commands, (QList<QByteArray>{Helo(), "HELO", "QUIT"}));
  EXPECT_EQ(events, QStringList{u"Open"_s});
}

TEST_F(SmtpTest, RefusalsEndTheSendWithTheReplyLineAndStillQuit) {
  struct Case {
    QByteArray command;  // the command refused ("" for the greeting)
    QByteArray reply;
    QStringList events;
  };
  const QStringList open{u"Open"_s};
  const QStringList sending{u"Open"_s, u"Sending"_s};
  const QList<Case> cases = {
      {"", "554 No SMTP service here\r\n", open},
      {"MAIL", "553 5.1.8 Sender address rejected\r\n", sending},
      {"RCPT", "554 5.7.1 <support@example.com>: Relay access denied\r\n", sending},
      {"DATA", "554 5.5.1 Error: no valid recipients\r\n", sending},
      {".", "552 5.3.4 Message size exceeds fixed limit\r\n", sending},
      {"RCPT",
       "550-5.1.1 The email account that you tried to reach\r\n"
       "550-5.1.1 does not exist. Please try\r\n"
       "550 5.1.1 double-checking the recipient's address\r\n",
       sending},
      // DATA answered with 2xx instead of 3xx is refused too.
      {"DATA", "250 OK\r\n", sending},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply.constData());
    ScriptedSmtpServer server;
    if (c.command.isEmpty()) server.greeting = {c.reply};
    server.answer = [&c](const QByteArray& command) -> std::optional<QByteArray> {
      if (!c.command.isEmpty() && command.startsWith(c.command)) return c.reply;
      return std::nullopt;
    };
    smtp.SetServer(server.Server());
    events.clear();
    const QByteArray lastLine = c.reply.trimmed().split('\n').last().trimmed();
    EXPECT_EQ(SendNow(smtp), (Outcome{u"EServerError"_s, QString::fromUtf8(lastLine)}));
    EXPECT_EQ(events, c.events);
    ASSERT_FALSE(server.commands.isEmpty());
    EXPECT_EQ(server.commands.last(), "QUIT");
    EXPECT_EQ(MsTempFiles(), QStringList());
  }
}

TEST_F(SmtpTest, ReplyFollowedByClosingIsStillRead) {
  ScriptedSmtpServer server;
  server.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("MAIL")) return "421 4.3.2 Service shutting down\r\n<close>";
    return std::nullopt;
  };
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp), (Outcome{u"EServerError"_s, u"421 4.3.2 Service shutting down"_s}));
  // Whether QUIT still found the connection open or not, the refusal is what is reported.
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Sending"_s}));
}

TEST_F(SmtpTest, OverlongReplyLinesAreCutAndTheRestSkipped) {
  ScriptedSmtpServer server;
  const QByteArray longRefusal = "554 " + QByteArray(2000, 'y');
  server.answer = [&](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("HELO")) return "250-" + QByteArray(3000, 'x') + "\r\n250 fine\r\n";
    if (c.startsWith("RCPT")) return longRefusal + "\r\n";
    return std::nullopt;
  };
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp),
            (Outcome{u"EServerError"_s, QString::fromLatin1(longRefusal.left(1024))}));
  // The skipped rest did not pass for the next reply.
  EXPECT_EQ(smtp.LastReply(), u"221 2.0.0 Bye"_s);
  EXPECT_EQ(server.commands.last(), "QUIT");
}

TEST_F(SmtpTest, SilentServerTimesOutWhileTheEventLoopRuns) {
  ScriptedSmtpServer server;
  server.greeting = {};
  smtp.SetServer(server.Server());
  smtp.SetTimeOut(1);
  int ticks = 0;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start();
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ETimedOutError"_s, u"Operation timed out"_s}));
  EXPECT_GE(clock.elapsed(), 900);
  // Far beyond the one second, so that a loaded machine never fails it, yet a time-out that
  // was never armed (the silent server holds the line for good) still shows.
  EXPECT_LT(clock.elapsed(), 30000);
  EXPECT_GE(ticks, 20) << "the timer did not run while the client waited";
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Error:Operation timed out"_s}));
  EXPECT_TRUE(server.commands.isEmpty());
}

TEST_F(SmtpTest, HostileServersCannotHoldTheClientPastItsTimeOut) {
  // A greeting dripped a byte at a time, a flood of continuation lines, and one endless line:
  // each used to keep the client reading for as long as the server liked.
  struct Case {
    const char* name;
    std::function<void(ScriptedSmtpServer&)> script;
    Outcome outcome;
  };
  const QList<Case> cases = {
      {"drip",
       [](ScriptedSmtpServer& s) {
         s.greeting.clear();
         for (int i = 0; i < 150; ++i) s.greeting << QByteArray(i < 4 ? "220-" + i : "x", 1);
         s.pieceDelayMs = 100;
       },
       {u"ETimedOutError"_s, u"Operation timed out"_s}},
      {"flood of lines",
       [](ScriptedSmtpServer& s) { s.flood = "220-spam spam spam\r\n"; },
       {u"EServerError"_s, u"451 Incomplete reply from the server: 220-spam spam spam"_s}},
      {"endless line",
       [](ScriptedSmtpServer& s) { s.flood = QByteArray(4000, 'x'); },
       {u"EServerError"_s, u"451 Incomplete reply from the server: "_s + QString(1024, u'x')}},
  };
  smtp.SetTimeOut(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedSmtpServer server;
    c.script(server);
    smtp.SetServer(server.Server());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SendNow(smtp), c.outcome);
    // Generous: the point is that it ends, not how fast.
    EXPECT_LT(clock.elapsed(), 10000);
  }
}

TEST_F(SmtpTest, OnlyAWholeReplyToTheDataCountsAsAcceptance) {
  // A broken reply to the final "." is no acceptance; once the message is accepted, nothing
  // QUIT meets (a close, a refusal, silence) makes the mail look unsent.
  struct Case {
    QByteArray command, reply;
    Outcome outcome;
  };
  const QString broken = u"451 Incomplete reply from the server: "_s;
  const QList<Case> cases = {
      {".", "250 que<close>", {u"EServerError"_s, broken + u"250 que"_s}},
      {".", "250-queued so far\r\n<close>", {u"EServerError"_s, broken + u"250-queued so far"_s}},
      {".", "2500 odd\r\n", {u"EServerError"_s, u"2500 odd"_s}},
      {".", "250rejected-ish\r\n", {u"EServerError"_s, u"250rejected-ish"_s}},
      {"QUIT", "<close>", {u"ok"_s, {}}},
      {"QUIT", "554 5.0.0 no\r\n", {u"ok"_s, {}}},
      {"QUIT", "", {u"ok"_s, {}}},
  };
  smtp.SetTimeOut(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply.constData());
    ScriptedSmtpServer server;
    server.answer = [&c](const QByteArray& command) -> std::optional<QByteArray> {
      if (command == c.command) return c.reply;
      return std::nullopt;
    };
    smtp.SetServer(server.Server());
    events.clear();
    EXPECT_EQ(SendNow(smtp), c.outcome);
    QStringList expected{u"Open"_s, u"Sending"_s};
    if (c.outcome.kind == u"ok"_s) expected << u"MailSent"_s;
    EXPECT_EQ(events, expected);
  }
  EXPECT_EQ(TmsSMTP::ReplyCodeOf("250"), 250);
  EXPECT_EQ(TmsSMTP::ReplyCodeOf("250\tx"), -1);
}

TEST_F(SmtpTest, ReplyDuringTheDataIsReported) {
  // The server refuses while the message still comes in and hangs up: its reply, not the
  // reset connection, is what the user must read.
  ScriptedSmtpServer server;
  server.replyDuringData = "552 5.3.4 Message size exceeds fixed limit\r\n";
  for (int i = 0; i < 60000; ++i) msg.Body() << u"A line of text to make the message large"_s;
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp),
            (Outcome{u"EServerError"_s, u"552 5.3.4 Message size exceeds fixed limit"_s}));
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Sending"_s}));
}

TEST_F(SmtpTest, ServerTextsAreMadeFitToShow) {
  ScriptedSmtpServer server;
  server.answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith("MAIL")) return QByteArray("554 bad\0\x1B[31mred\xFF\xE2\x80\xAEtxt\r\n", 25);
    return std::nullopt;
  };
  smtp.SetServer(server.Server());
  EXPECT_EQ(SendNow(smtp),
            (Outcome{u"EServerError"_s, u"554 bad\uFFFD\uFFFD[31mred\uFFFD\uFFFDtxt"_s}));
}

TEST_F(SmtpTest, HeloNamesAndIpv6Literals) {
  // HELO gives a fully qualified name or the address literal of the connection's own end.
  EXPECT_EQ(TagSocket::HeloName(u"pc.example.org"_s, QHostAddress::LocalHost), u"pc.example.org"_s);
  EXPECT_EQ(TagSocket::HeloName(u"vm"_s, QHostAddress(u"192.0.2.7"_s)), u"[192.0.2.7]"_s);
  EXPECT_EQ(TagSocket::HeloName(u"vm"_s, QHostAddress::LocalHostIPv6), u"[IPv6:::1]"_s);
  EXPECT_EQ(TagSocket::HeloName(QString(), QHostAddress(u"::ffff:10.0.0.1"_s)), u"[10.0.0.1]"_s);

  ScriptedSmtpServer server(QHostAddress::LocalHostIPv6);
  if (!server.Listening()) GTEST_SKIP() << "no IPv6 loopback here";
  smtp.SetServer(u"[::1]:"_s + QString::number(server.Port()));
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  // A bare address takes the "smtp" service's port. Should a mail server listen there, it
  // gets no message: there is none to send.
  smtp.SetServer(u"::1"_s);
  smtp.SetMailMessage(nullptr);
  SendNow(smtp);
  EXPECT_EQ(smtp.RemoteAddress(), u"::1"_s);
  EXPECT_EQ(smtp.RemotePort(), 25);
}

TEST_F(SmtpTest, TimeOutCountsEachWaitOnItsOwn) {
  // Every reply takes 0.4 s: the whole send lasts far longer than the 1 s time-out, but no
  // single wait does.
  ScriptedSmtpServer server;
  server.replyDelayMs = 400;
  smtp.SetServer(server.Server());
  smtp.SetTimeOut(1);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  EXPECT_GT(clock.elapsed(), 1500);
}

TEST_F(SmtpTest, CancelEndsTheWait) {
  ScriptedSmtpServer server;
  server.greeting = {};
  smtp.SetServer(server.Server());
  QTimer::singleShot(100, &smtp, [this] { smtp.Cancel(); });
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ECanceledError"_s, u"Operation has been canceled"_s}));
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Error:Operation has been canceled"_s}));
}

TEST_F(SmtpTest, ConnectionFailuresCarryTheirSocketErrorTexts) {
  // Nobody listens: refused at once, not after the time-out.
  smtp.SetServer(u"127.0.0.1:"_s + QString::number(ClosedPort()));
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ESocketError"_s, u"[10061] Connection refused"_s}));
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Error:[10061] Connection refused"_s}));

  // A name no resolver can know (refused before any DNS query, so the test needs no network).
  events.clear();
  smtp.SetServer(u"no..such..host:25"_s);
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ESocketError"_s, u"[11001] Host not found"_s}));
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Error:[11001] Host not found"_s}));

  // The server drops the connection instead of answering.
  ScriptedSmtpServer dropping;
  dropping.answer = [](const QByteArray&) -> std::optional<QByteArray> { return "<close>"; };
  smtp.SetServer(dropping.Server());
  events.clear();
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ESocketError"_s, u"[10054] Connection reset by peer"_s}));
  EXPECT_EQ(events, (QStringList{u"Open"_s, u"Error:[10054] Connection reset by peer"_s}));
}

TEST_F(SmtpTest, ServerNameWithHostAndPort) {
  ScriptedSmtpServer server;
  smtp.SetServer(u"localhost:"_s + QString::number(server.Port()));
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  EXPECT_EQ(smtp.RemoteAddress(), u"127.0.0.1"_s);
  EXPECT_EQ(smtp.RemotePort(), server.Port());
  // Without a port the "smtp" service's is used.
  EXPECT_EQ(TagSocket::ServicePort(u"smtp"_s), 25);
  EXPECT_EQ(TagSocket::ServicePort(u"no-such-service"_s), 0);
}

TEST_F(SmtpTest, SetUpFailures) {
  smtp.SetServer(QString());
  EXPECT_EQ(SendNow(smtp), (Outcome{u"ESocketError"_s, u"Server property is required"_s}));
  EXPECT_EQ(events, QStringList{u"Error:Server property is required"_s});

  events.clear();
  smtp.SetServer(u"127.0.0.1:99999"_s);
  EXPECT_EQ(SendNow(smtp),
            (Outcome{u"ESocketError"_s, u"Invalid port number in Server property"_s}));

  smtp.SetServer(u"127.0.0.1:"_s + QString::number(ClosedPort()));
  smtp.SetWinsockLoaded(false);
  EXPECT_EQ(SendNow(smtp), (Outcome{u"EWinsockDLLError"_s, u"Winsock is not loaded"_s}));

  {
    MissingSocketLibrary missing;
    try {
      smtp.SetWinsockLoaded(true);
      ADD_FAILURE() << "loading a missing library succeeded";
    } catch (const EWinsockDLLError& e) {
      EXPECT_EQ(e.Message(), u"Winsock not found"_s);
    }
  }
  smtp.SetWinsockLoaded(true);
  EXPECT_TRUE(smtp.WinsockLoaded());
}

TEST_F(SmtpTest, MessageChecksAfterLogInThenQuit) {
  struct Case {
    std::function<void()> spoil;
    QString text;
  };
  const QList<Case> cases = {
      {[this] { smtp.SetMailMessage(nullptr); }, u"MailMessage property must be assigned"_s},
      {[this] { msg.Sender().SetAddress(QString()); }, u"The address of sender is required"_s},
      {[this] { msg.Recipients().Clear(); },
       u"At least one Recipient, CC or BCC must be entered"_s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    ScriptedSmtpServer server;
    smtp.SetServer(server.Server());
    c.spoil();
    events.clear();
    EXPECT_EQ(SendNow(smtp), (Outcome{u"EMessageError"_s, c.text}));
    EXPECT_EQ(server.commands, (QList<QByteArray>{Helo(), "QUIT"}));
    EXPECT_EQ(events, QStringList{u"Open"_s});
    smtp.SetMailMessage(&msg);
    msg.Sender().SetAddress(u"tester@example.org"_s);
    msg.Recipients().Add(u"support@example.com"_s, u"Support"_s);
  }
  // A BCC alone is enough.
  ScriptedSmtpServer server;
  smtp.SetServer(server.Server());
  msg.Recipients().Clear();
  msg.BCC().Add(u"bcc@example.com"_s, QString());
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  EXPECT_FALSE(server.data.contains("bcc@example.com"));
}

TEST_F(SmtpTest, LineBreakInAFieldIsRefusedBeforeConnecting) {
  ScriptedSmtpServer server;
  smtp.SetServer(server.Server());
  const QString text =
      u"Addresses, names and the subject of a message must not contain line breaks"_s;
  msg.SetSubject(u"Bug\r\nBcc: everyone@example.com"_s);
  EXPECT_EQ(SendNow(smtp), (Outcome{u"EMessageError"_s, text}));
  msg.SetSubject(u"Bug"_s);
  msg.Sender().SetAddress(u"a@example.org>\r\nRCPT TO:<victim@example.com"_s);
  EXPECT_EQ(SendNow(smtp), (Outcome{u"EMessageError"_s, text}));
  // Addresses SMTP can't carry as they stand; a quoted local part or an address literal it can.
  for (const QString& address :
       {u"a\u0000b@example.org"_s, u"a@x>, Boss <b@y>"_s, u"a b@example.org"_s, u"a@example..org"_s,
        u"j\u00FCrgen@example.org"_s}) {
    msg.Sender().SetAddress(address);
    EXPECT_EQ(SendNow(smtp).message,
              u"Not a valid mail address: "_s + QString(address).replace(QChar(0), QChar(0xFFFD)));
  }
  msg.Sender().SetAddress(u"\"odd one\"@[IPv6:::1]"_s);
  msg.Recipients().Add(u"bcc@exa mple.com"_s, QString());
  EXPECT_EQ(SendNow(smtp).message, u"Not a valid mail address: bcc@exa mple.com"_s);
  QCoreApplication::processEvents();
  EXPECT_EQ(server.connections, 0);
  EXPECT_TRUE(events.isEmpty());
}

// --- against aiosmtpd ---------------------------------------------------------------------

class RealServerTest : public SmtpTest {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_MAIL_SERVER();
    if (!SmtpSink::Instance().Ok()) FAIL() << SmtpSink::Instance().Error().toStdString();
    smtp.SetServer(SmtpSink::Instance().Server());
  }
};

TEST_F(RealServerTest, PlainMessageArrivesExactlyAsEncoded) {
  const int before = SmtpSink::Instance().Count();
  msg.Recipients().Clear();
  msg.Recipients().Add(u"beta@pellworth.example"_s, u"Saltmarch 98 : Glass Horizon. Feedback"_s);
  // The event loop keeps running while the client waits for the server.
  int turns = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++turns; });
  timer.start(0);
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  timer.stop();
  EXPECT_GT(turns, 0);
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  const QJsonObject info = SmtpSink::Instance().Info(before + 1);
  EXPECT_EQ(SmtpSink::Instance().Raw(before + 1), TmsMessageEncoder(msg).Encode() + "\r\n");
  EXPECT_EQ(info[u"helo"].toString(), QString::fromUtf8(Helo().mid(5)));
  EXPECT_EQ(info[u"mail_from"].toString(), u"tester@example.org"_s);
  EXPECT_EQ(info[u"to"].toArray()[0].toArray()[0].toString(),
            u"Saltmarch 98 : Glass Horizon. Feedback"_s);
  EXPECT_EQ(info[u"cte"].toString(), u"7bit"_s);
  EXPECT_EQ(info[u"defects"].toArray().size(), 0);
}

TEST_F(RealServerTest, EightBitTextDotLinesAndLongLinesArriveIntact) {
  const int before = SmtpSink::Instance().Count();
  msg.Sender().SetName(u"J. Tester"_s);
  msg.Recipients().Clear();
  msg.Recipients().Add(u"beta@pellworth.example"_s,
                       u"Saltmarch 98 : Glass Horizon (\u00DF 1.2) Feedback"_s);
  msg.CC().Add(u"cc@example.com"_s, u"Copy"_s);
  msg.BCC().Add(u"bcc@example.com"_s, u"Blind"_s);
  msg.SetSubject(u"Saltmarch 98 v1.2.0.98 Gr\u00FC\u00DFe aus dem W\u00FCstenplanet"_s);
  const QString longLine =
      u"The Sonic Tank's range is too short compared with the Siege Tank, "_s.repeated(5).left(300);
  msg.Body() << u".x"_s << u"."_s << u"..y"_s << longLine << u"Stra\u00DFe = road"_s
             << u"trailing blank "_s << QString();
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  const QJsonObject info = SmtpSink::Instance().Info(before + 1);
  EXPECT_EQ(SmtpSink::Instance().Raw(before + 1), TmsMessageEncoder(msg).Encode() + "\r\n");
  EXPECT_EQ(info[u"rcpt_tos"].toArray().toVariantList(),
            (QVariantList{u"beta@pellworth.example"_s, u"cc@example.com"_s, u"bcc@example.com"_s}));
  EXPECT_EQ(info[u"subject"].toString(), msg.Subject());
  EXPECT_EQ(info[u"from_name"].toString(), u"J. Tester"_s);
  EXPECT_EQ(info[u"to"].toArray()[0].toArray()[0].toString(),
            u"Saltmarch 98 : Glass Horizon (\u00DF 1.2) Feedback"_s);
  EXPECT_EQ(info[u"charset"].toString(), u"utf-8"_s);
  EXPECT_EQ(info[u"cte"].toString(), u"quoted-printable"_s);
  // The body as a mail reader shows it: every line as written, and the empty line that
  // precedes the end of the data.
  EXPECT_EQ(info[u"body"].toString(), msg.Body().join(u'\n') + u"\n\n"_s);
  EXPECT_EQ(info[u"defects"].toArray().size(), 0);
}

TEST_F(RealServerTest, AwkwardTextsArriveAsTypedInLinesMimeAllows) {
  const int before = SmtpSink::Instance().Count();
  msg.Sender().SetName(u"J\u00FCrgen \"JJ\" O'Brien, Esq. \\ Tester"_s);
  msg.Recipients().Clear();
  msg.Recipients().Add(u"beta@pellworth.example"_s, u"Support \"Desk\" \\ Team, P.W.S."_s);
  const QString words = u"Gr\u00FC\u00DFe aus dem W\u00FCstenplanet \U0001F3DC "_s;
  msg.SetSubject(u"Saltmarch\u0000 98 \u001B[1m"_s + words.repeated(6));
  const QList<QString> body = {u"NUL\u0000 ESC\u001B[0m FF\u000C DEL\u007F tab\there"_s,
                               QString(300, u'='), QString(200, u'\u00FC'),
                               u"\U0001F600 "_s.repeated(60), u"."_s};
  msg.Body() << body;
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 1);
  const QJsonObject info = SmtpSink::Instance().Info(before + 1);
  EXPECT_EQ(info[u"defects"].toArray(), QJsonArray());
  // Control characters are dropped from the subject and kept, encoded, in the body.
  EXPECT_EQ(info[u"subject"].toString(), u"Saltmarch 98 [1m"_s + words.repeated(6));
  EXPECT_EQ(info[u"from_name"].toString(), msg.Sender().Name());
  EXPECT_EQ(info[u"to"].toArray()[0].toArray()[0].toString(),
            u"Support \"Desk\" \\ Team, P.W.S."_s);
  EXPECT_EQ(info[u"body"].toString(), msg.Body().join(u'\n') + u"\n\n"_s);
  EXPECT_EQ(info[u"cte"].toString(), u"quoted-printable"_s);
  EXPECT_FALSE(info[u"date"].toString().isEmpty());
  EXPECT_TRUE(info[u"message_id"].toString().endsWith(u"@example.org>"_s));
  for (const QByteArray& line : SmtpSink::Instance().Raw(before + 1).split('\n'))
    EXPECT_LE(line.size(), 76 + 1) << line.constData();

  // Each send is a message of its own.
  EXPECT_EQ(SendNow(smtp).kind, u"ok"_s);
  ASSERT_EQ(SmtpSink::Instance().Count(), before + 2);
  EXPECT_NE(SmtpSink::Instance().Info(before + 2)[u"message_id"], info[u"message_id"]);
}
