#include "mailsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// The folder of a mail server started for this program beforehand (by CTest, on Windows).
QString StartedServerFolder() {
  return qEnvironmentVariable("SMARCH_SMTP_SINK_DIR");
}

// Gives every test program a temporary folder of its own, so the mail components' files can
// be counted, and stops the mail server before the application ends.
class MailEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    temp_ = std::make_unique<QTemporaryDir>();
    for (const char* name : kTempVariables) {
      previous_.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                          : std::nullopt);
      qputenv(name, QFile::encodeName(QDir::toNativeSeparators(temp_->path())));
    }
  }
  void TearDown() override {
    SmtpSink::Instance().Stop();
    for (std::size_t i = 0; i < previous_.size(); ++i) {
      if (previous_[i]) {
        qputenv(kTempVariables[i], *previous_[i]);
      } else {
        qunsetenv(kTempVariables[i]);
      }
    }
    temp_.reset();
  }

 private:
  // Windows takes the temporary folder from TMP, then TEMP; other systems from TMPDIR.
  static constexpr const char* kTempVariables[] = {"TMPDIR", "TMP", "TEMP"};
  std::unique_ptr<QTemporaryDir> temp_;
  std::vector<std::optional<QByteArray>> previous_;
};

[[maybe_unused]] const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new MailEnvironment);

}  // namespace

QStringList MsTempFiles() {
  return QDir(QDir::tempPath()).entryList({QStringLiteral("ms*")}, QDir::Files);
}

// --- SmtpSink -----------------------------------------------------------------------------

SmtpSink& SmtpSink::Instance() {
  static SmtpSink sink;
  return sink;
}

bool SmtpSink::CanStart() {
#ifdef _WIN32
  return !StartedServerFolder().isEmpty();
#else
  return true;
#endif
}

SmtpSink::SmtpSink() {
  if (!StartedServerFolder().isEmpty()) {
    UseStartedServer(StartedServerFolder());
    return;
  }
  ownFolder_ = std::make_unique<QTemporaryDir>();
  folder_ = ownFolder_->path();
  process_ = std::make_unique<QProcess>();
  process_->setProcessChannelMode(QProcess::SeparateChannels);
  process_->start(QStringLiteral(SMARCH_PYTHON), {QStringLiteral(SMARCH_SMTP_SINK), folder_});
  if (!process_->waitForStarted(10000)) {
    error_ = QStringLiteral("could not start ") + QStringLiteral(SMARCH_PYTHON);
    return;
  }
  QElapsedTimer waited;
  waited.start();
  while (!process_->canReadLine() && waited.elapsed() < 20000) process_->waitForReadyRead(500);
  port_ = process_->readLine().trimmed().toInt();
  if (port_ <= 0)
    error_ = QStringLiteral("the mail server did not start: ") +
             QString::fromLocal8Bit(process_->readAllStandardError());
}

void SmtpSink::UseStartedServer(const QString& folder) {
  folder_ = folder;
  QFile portFile(QDir(folder).filePath(QStringLiteral("port")));
  if (portFile.open(QIODevice::ReadOnly)) port_ = portFile.readAll().trimmed().toInt();
  if (port_ <= 0) error_ = QStringLiteral("no mail server was started on ") + folder;
}

SmtpSink::~SmtpSink() = default;

void SmtpSink::Stop() {
  if (!process_ || process_->state() == QProcess::NotRunning) return;
  process_->closeWriteChannel();
  if (!process_->waitForFinished(5000)) {
    process_->kill();
    process_->waitForFinished(5000);
  }
}

QString SmtpSink::Server() const {
  return QStringLiteral("127.0.0.1:") + QString::number(port_);
}

int SmtpSink::Count() const {
  return int(QDir(folder_).entryList({QStringLiteral("*.json")}, QDir::Files).size());
}

QJsonObject SmtpSink::Info(int n) const {
  QFile file(QDir(folder_).filePath(QString::number(n) + QStringLiteral(".json")));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(file.readAll()).object();
}

QByteArray SmtpSink::Raw(int n) const {
  QFile file(QDir(folder_).filePath(QString::number(n) + QStringLiteral(".eml")));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// --- ScriptedSmtpServer -------------------------------------------------------------------

ScriptedSmtpServer::ScriptedSmtpServer(const QHostAddress& address) {
  server_.listen(address);
  connect(&server_, &QTcpServer::newConnection, this, &ScriptedSmtpServer::Accept);
}

ScriptedSmtpServer::~ScriptedSmtpServer() = default;

QString ScriptedSmtpServer::Server() const {
  const QHostAddress address = server_.serverAddress();
  const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                           ? QStringLiteral("[") + address.toString() + QStringLiteral("]")
                           : address.toString();
  return host + QStringLiteral(":") + QString::number(server_.serverPort());
}

void ScriptedSmtpServer::Flood(QTcpSocket* peer) {
  // Keeps about a megabyte queued; the client's reading makes room for more.
  while (peer->bytesToWrite() < (1 << 20)) peer->write(flood);
  QTimer::singleShot(1, peer, [this, peer] { Flood(peer); });
}

void ScriptedSmtpServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    ++connections;
    socket->setParent(this);
    peer_ = socket;
    pending_.clear();
    inData_ = false;
    hungUp_ = false;
    connect(socket, &QTcpSocket::readyRead, this, &ScriptedSmtpServer::Received);
    if (flood.isEmpty())
      SendLater(greeting, pieceDelayMs, false);
    else
      Flood(socket);
  }
}

void ScriptedSmtpServer::SendLater(const QList<QByteArray>& pieces, int delayMs, bool closeAfter) {
  QTcpSocket* peer = peer_;
  int at = 0;
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    const QByteArray piece = pieces[i];
    const bool last = i + 1 == pieces.size();
    at += (i == 0 ? replyDelayMs : delayMs);
    QTimer::singleShot(at, peer, [peer, piece, last, closeAfter] {
      peer->write(piece);
      if (last && closeAfter) peer->disconnectFromHost();
    });
  }
  if (pieces.isEmpty() && closeAfter) peer->disconnectFromHost();
}

void ScriptedSmtpServer::Reply(const QByteArray& reply) {
  QByteArray text = reply;
  const bool close = text.endsWith("<close>");
  if (close) text.chop(7);
  if (text.isEmpty() && !close) return;  // silence
  SendLater(text.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{text}, 0, close);
}

void ScriptedSmtpServer::Received() {
  auto* socket = qobject_cast<QTcpSocket*>(sender());
  // After hanging up, what still comes is left unread, as a real server leaves it.
  if (socket != peer_ || hungUp_) return;
  pending_ += socket->readAll();
  for (;;) {
    if (inData_ && !replyDuringData.isEmpty() && !pending_.isEmpty()) {
      data += pending_;
      pending_.clear();
      inData_ = false;
      hungUp_ = true;
      Reply(replyDuringData + "<close>");
      return;
    }
    if (inData_) {
      // The data ends with a line that is a lone "."; the first line counts as well.
      const qsizetype at = (QByteArray("\r\n") + pending_).indexOf("\r\n.\r\n");
      if (at < 0) return;
      data += pending_.left(at);
      pending_.remove(0, at + 3);
      inData_ = false;
      commands << QByteArray(".");
      const std::optional<QByteArray> custom = answer ? answer(".") : std::nullopt;
      Reply(custom.value_or("250 2.0.0 queued\r\n"));
      continue;
    }
    const qsizetype lf = pending_.indexOf('\n');
    if (lf < 0) return;
    QByteArray line = pending_.left(lf);
    pending_.remove(0, lf + 1);
    if (line.endsWith('\r')) line.chop(1);
    commands << line;
    const std::optional<QByteArray> custom = answer ? answer(line) : std::nullopt;
    if (custom) {
      if (line == "DATA" && custom->startsWith('3')) inData_ = true;
      Reply(*custom);
      continue;
    }
    const QByteArray verb = line.left(4).toUpper();
    if (verb == "HELO" || verb == "EHLO")
      Reply("250 scripted.test\r\n");
    else if (verb == "MAIL" || verb == "RCPT")
      Reply("250 2.1.0 OK\r\n");
    else if (verb == "DATA") {
      inData_ = true;
      Reply("354 End data with <CR><LF>.<CR><LF>\r\n");
    } else if (verb == "QUIT")
      Reply("221 2.0.0 Bye\r\n<close>");
    else
      Reply("500 5.5.2 Unknown command\r\n");
  }
}
