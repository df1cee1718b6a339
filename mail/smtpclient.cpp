#include "smtpclient.h"

#include "mailerrors.h"
#include "mailmessage.h"
#include "mailstrings.h"

#include <QDir>
#include <QTemporaryFile>

#include <exception>

using namespace Qt::Literals::StringLiterals;

TmsSMTP::TmsSMTP(QObject* parent) : TmsMailBase(parent) {}

void TmsSMTP::Send() {
  // A line break taken into a command or a header line would let the text add commands or
  // headers of its own, and an address SMTP can't carry would reach the server as something
  // else, so such a message never gets that far.
  if (mailMessage_) mailMessage_->CheckFields();

  accepted_ = false;
  std::exception_ptr failure;
  try {
    if (!Connected()) {
      Connect();
      LogIn();
    }
    SendMessage();
  } catch (...) {
    failure = std::current_exception();
  }

  // QUIT goes out on every connection still standing, also after a failure.
  if (SocketOpen()) {
    ServeMessageLoopOnce();
    // After a failure the user needs to see that failure, not what went wrong on leaving; and
    // once the server has taken the message, leaving can't undo that: a failing QUIT must not
    // make the user send the mail again.
    MuteErrorEvents(failure != nullptr || accepted_);
    try {
      Command("QUIT", 2);
    } catch (...) {
      if (!failure && !accepted_) failure = std::current_exception();
    }
    MuteErrorEvents(false);
  }
  CloseSocket();
  if (failure) std::rethrow_exception(failure);
}

void TmsSMTP::LogIn() {
  ExpectReply(2);
  SendLine("HELO " + LocalHost().toUtf8());
  ReadReply();
  // Some servers refuse a HELO with an argument they don't like and take a bare one.
  if (ReplyCode() / 100 != 2) Command("HELO", 2);
}

void TmsSMTP::SendMessage() {
  if (!mailMessage_) throw EMessageError(MsLoadStr(MsStr::MessageRequired));
  TmsCustomMessage& m = *mailMessage_;
  if (m.Sender().Address().isEmpty()) throw EMessageError(MsLoadStr(MsStr::SenderRequired));
  QStringList recipients;
  for (const TmsAddressList* list : {&m.Recipients(), &m.CC(), &m.BCC()})
    for (const TmsMailAddress& a : *list)
      if (!a.Address().isEmpty()) recipients << a.Address();
  if (recipients.isEmpty()) throw EMessageError(MsLoadStr(MsStr::RecipientRequired));

  m.Stamp();
  // The encoded message waits in a temporary file, removed when this scope ends. Asking for
  // its name gives it one in the temporary folder, where it can be found while it exists.
  QTemporaryFile file(QDir::tempPath() + u"/msXXXXXX"_s);
  if (!file.open() || file.fileName().isEmpty() || !TmsMessageEncoder(m).EncodeTo(file) ||
      !file.flush())
    throw EMailError(file.errorString());

  emit OnSending();
  Command("MAIL FROM:<" + m.Sender().Address().toUtf8() + '>', 2);
  for (const QString& r : recipients) Command("RCPT TO:<" + r.toUtf8() + '>', 2);
  Command("DATA", 3);
  file.seek(0);
  SendData(file);
  ExpectReply(2);
  accepted_ = true;
  emit OnMailSent();
}

void TmsSMTP::SendData(QIODevice& file) {
  const QByteArray text = file.readAll();
  if (text.size() != file.size()) throw EMailError(file.errorString());
  // Every line that begins with "." gets one more in front; the server takes it off again, so
  // such a line arrives as written and none can end the data early. The message then ends
  // with an empty line, and the data with a line that is a lone ".".
  QByteArray wire;
  wire.reserve(text.size() + text.size() / 64 + 2);
  qsizetype from = 0;
  if (text.startsWith('.')) wire += '.';
  for (qsizetype at; (at = text.indexOf("\n.", from)) >= 0; from = at + 1) {
    wire.append(text.constData() + from, at + 1 - from);
    wire += '.';
  }
  wire.append(text.constData() + from, text.size() - from);
  wire += "\r\n.\r\n";
  // All of it goes to the connection at once: waiting for each block would cost a turn of
  // the event loop per block. A server that speaks up before the end refuses the message.
  if (!SendBytes(wire, true)) {
    ReadReply();
    RaiseServerError();
  }
}
