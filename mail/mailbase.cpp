#include "mailbase.h"

#include "mailerrors.h"
#include "mailstrings.h"
#include "mailtext.h"

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kConnectionReset = 10054;
}

int TmsMailBase::ReplyCodeOf(const QByteArray& line) {
  if (line.size() < 3 || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) return -1;
  int code = 0;
  for (int i = 0; i < 3; ++i) {
    if (line[i] < '0' || line[i] > '9') return -1;
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

void TmsMailBase::SendLine(const QByteArray& line) {
  // Commands are built from addresses the message check has cleared; a line break here would
  // start a command of its own.
  if (line.contains('\r') || line.contains('\n'))
    throw EMessageError(MsLoadStr(MsStr::LineBreakInField));
  // A server that answers early and closes is heard by the reply that follows.
  SendBytes(line + "\r\n");
}

void TmsMailBase::RaiseBrokenReply(const QByteArray& partial) {
  // Out of step with a server that half-answers, a QUIT would only wait on it again.
  CloseSocket();
  replyCode_ = 451;
  lastReply_ = MsLoadStr(MsStr::BrokenReply).replace(u"%s"_s, SanitizedText(partial));
  RaiseServerError();
}

void TmsMailBase::ReadReply() {
  RestartTimeOut();
  std::optional<Line> line = ReadLine();
  if (!line) RaiseSocketError(kConnectionReset);
  lastReply_ = SanitizedText(line->text);
  replyCode_ = ReplyCodeOf(line->text);
  if (!line->complete) RaiseBrokenReply(line->text);
  if (replyCode_ < 0 || line->text.size() == 3 || line->text[3] != '-') return;
  // Further lines up to the one that carries the same code and a blank (or nothing) after it.
  for (int count = 1;; ++count) {
    const QByteArray previous = line->text;
    if (count >= kMaxReplyLines) RaiseBrokenReply(previous);
    line = ReadLine();
    if (!line) RaiseBrokenReply(previous);
    lastReply_ = SanitizedText(line->text);
    if (!line->complete) RaiseBrokenReply(line->text);
    if (ReplyCodeOf(line->text) == replyCode_ && (line->text.size() == 3 || line->text[3] == ' '))
      return;
  }
}

void TmsMailBase::RaiseServerError() const {
  throw EServerError(lastReply_);
}

void TmsMailBase::ExpectReply(int expectedClass) {
  ReadReply();
  if (replyCode_ < 0 || replyCode_ / 100 != expectedClass) RaiseServerError();
}

void TmsMailBase::Command(const QByteArray& command, int expectedClass) {
  SendLine(command);
  ExpectReply(expectedClass);
}
