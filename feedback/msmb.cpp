#include "msmb.h"

#include "mserrors.h"
#include "msstrings.h"

namespace {
constexpr int kConnectionReset = 10054;
}

int TmsMailBase::ReplyCodeOf(const QByteArray& line) {
  if (line.size() < 3) return -1;
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
  SendBytes(line + "\r\n");
}

void TmsMailBase::ReadReply() {
  std::optional<QByteArray> line = ReadLine();
  if (!line) RaiseSocketError(kConnectionReset);
  lastReply_ = QString::fromUtf8(*line);
  replyCode_ = ReplyCodeOf(*line);
  if (line->size() < 4 || line->at(3) != '-') return;
  // Further lines up to the one that carries the same code and a blank (or nothing) after it.
  for (;;) {
    line = ReadLine();
    if (!line) return;
    lastReply_ = QString::fromUtf8(*line);
    if (ReplyCodeOf(*line) == replyCode_ && (line->size() == 3 || line->at(3) == ' ')) return;
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
