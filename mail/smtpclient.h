#pragma once

#include "mailbase.h"

class QIODevice;
class TmsCustomMessage;

// Sends one message over SMTP: connect, greeting, HELO, MAIL FROM, RCPT TO for every
// recipient, CC and BCC, DATA, the message, and QUIT, also after a failure.
//
// Events in their order: OnOpen when connecting starts, OnSending before the envelope,
// OnMailSent once the server accepted the message; OnError with the text of a socket failure,
// a time-out or a cancel before that failure is raised. Refusals by the server raise
// EServerError with its reply line, faults of the message EMessageError; neither fires OnError.
// Once the message is accepted, nothing that goes wrong with QUIT is a failure of the send.
// Each send dates the message and gives it a new Message-ID.
class TmsSMTP : public TmsMailBase {
  Q_OBJECT
 public:
  explicit TmsSMTP(QObject* parent = nullptr);

  TmsCustomMessage* MailMessage() const { return mailMessage_; }
  void SetMailMessage(TmsCustomMessage* message) { mailMessage_ = message; }

  // Connects, sends the message and disconnects; the temporary file of the encoded message is
  // gone when it returns, whatever the outcome.
  void Send();

 signals:
  void OnSending();
  void OnMailSent();

 private:
  void LogIn();
  void SendMessage();
  void SendData(QIODevice& file);

  TmsCustomMessage* mailMessage_ = nullptr;
  bool accepted_ = false;  // the server took the message in this send
};
