#pragma once

#include "qtprinters.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <optional>

class QProcess;
class QTcpSocket;

// The mail server is a Linux Python program, which a Windows test under Wine cannot start:
// there CTest starts it beforehand and names its folder in SMARCH_SMTP_SINK_DIR. Run by hand
// without it, those tests skip.
#define SKIP_WITHOUT_MAIL_SERVER()                                                    \
  if (!SmtpSink::CanStart())                                                          \
  GTEST_SKIP() << "the mail server runs on Linux only: run this test through CTest, " \
                  "which starts one"
class QTemporaryDir;

// The real mail server of the tests: aiosmtpd on 127.0.0.1, started once per test program and
// kept to its end. Each message that arrives is stored with its envelope and with the message
// as Python's email package decodes it.
class SmtpSink {
 public:
  static SmtpSink& Instance();
  ~SmtpSink();
  static bool CanStart();

  bool Ok() const { return port_ > 0; }
  QString Error() const { return error_; }
  QString Server() const;         // "127.0.0.1:port"
  int Count() const;              // messages stored so far
  QJsonObject Info(int n) const;  // 1-based
  QByteArray Raw(int n) const;
  // Stops the server; called once at the end of the program.
  void Stop();

 private:
  SmtpSink();
  void UseStartedServer(const QString& folder);
  std::unique_ptr<QTemporaryDir> ownFolder_;
  QString folder_;
  std::unique_ptr<QProcess> process_;
  int port_ = 0;
  QString error_;
};

// A server on 127.0.0.1 that plays SMTP from a script, for replies no real server gives:
// refusals, multi-line and over-long replies, silence, a connection dropped.
class ScriptedSmtpServer : public QObject {
 public:
  explicit ScriptedSmtpServer(const QHostAddress& address = QHostAddress::LocalHost);
  ~ScriptedSmtpServer() override;

  bool Listening() const { return server_.isListening(); }
  QString Server() const;  // "127.0.0.1:port" or "[::1]:port"
  quint16 Port() const { return server_.serverPort(); }

  // Sent on connection, piece by piece with `pieceDelayMs` between; nothing means silence.
  QList<QByteArray> greeting{"220 scripted.test ready\r\n"};
  int pieceDelayMs = 0;
  // The reply to a command line (without its line end), or nothing for the usual one. An
  // empty reply is silence; a reply ending in "<close>" closes the connection after it.
  std::function<std::optional<QByteArray>(const QByteArray& command)> answer;
  // Delay before each reply.
  int replyDelayMs = 0;
  // Instead of the greeting: these bytes over and over, as fast as the client takes them.
  QByteArray flood;
  // Sent as soon as the message data begins to arrive, and then the connection is closed.
  QByteArray replyDuringData;

  QList<QByteArray> commands;  // every command received
  QByteArray data;             // the message as it came over the wire, without the final "."
  int connections = 0;

 private:
  void Accept();
  void Received();
  void Reply(const QByteArray& reply);
  void SendLater(const QList<QByteArray>& pieces, int delayMs, bool closeAfter);
  void Flood(QTcpSocket* peer);

  QTcpServer server_;
  QTcpSocket* peer_ = nullptr;
  QByteArray pending_;
  bool inData_ = false;
  bool hungUp_ = false;
};

// The files of the mail components in the temporary folder (their names begin with "ms").
// The tests run with a temporary folder of their own, so any such file is one they left.
QStringList MsTempFiles();
