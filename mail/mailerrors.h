#pragma once

#include <QString>

#include <stdexcept>

// Every failure of the mail components reaches the caller as one of these; the message is
// readable text for the user (a string-table entry or the server's reply line).
class EMailError : public std::runtime_error {
 public:
  explicit EMailError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  QString Message() const { return message_; }

 private:
  QString message_;
};

// A Windows Sockets error code or a failure while setting up the connection.
class ESocketError : public EMailError {
  using EMailError::EMailError;
};
// The server refused a command; the message is its reply line.
class EServerError : public EMailError {
  using EMailError::EMailError;
};
class ETimedOutError : public EMailError {
  using EMailError::EMailError;
};
class ECanceledError : public EMailError {
  using EMailError::EMailError;
};
// The socket library could not be loaded or used.
class EWinsockDLLError : public EMailError {
  using EMailError::EMailError;
};
// The message can't be sent as it stands (no sender, no recipient, ...).
class EMessageError : public EMailError {
  using EMailError::EMailError;
};
