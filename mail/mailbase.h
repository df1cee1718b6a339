#pragma once

#include "tagsocket.h"

// The command-and-reply exchange of the line-oriented mail protocols: a command is one line,
// a reply one or more lines that begin with a three-digit code.
class TmsMailBase : public TagSocket {
  Q_OBJECT
 public:
  using TagSocket::TagSocket;

  // Lines of one reply, at most; a longer reply counts as broken.
  static constexpr int kMaxReplyLines = 100;

  // The last reply line read, made fit to be shown, and the code of the reply (-1 when it had
  // none).
  QString LastReply() const { return lastReply_; }
  int ReplyCode() const { return replyCode_; }

  // The code of a reply line: three digits alone or followed by a blank or "-", or -1.
  static int ReplyCodeOf(const QByteArray& line);

 protected:
  // Sends the command and reads the reply; raises EServerError with the reply line unless the
  // reply's code is of the expected class (2 for 2xx, 3 for 3xx).
  void Command(const QByteArray& command, int expectedClass);
  void SendLine(const QByteArray& line);
  // Reads one reply, all of its lines when it has several, within one time-out. A reply cut
  // short (the connection closed, a line or the reply too long) is taken as a 451 and raises
  // EServerError: nothing half-heard counts as accepted.
  void ReadReply();
  // Reads a reply and raises EServerError with its line unless its code is of the class.
  void ExpectReply(int expectedClass);
  [[noreturn]] void RaiseServerError() const;
  [[noreturn]] void RaiseBrokenReply(const QByteArray& partial);

 private:
  QString lastReply_;
  int replyCode_ = -1;
};
