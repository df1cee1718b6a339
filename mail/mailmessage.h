#pragma once

#include "mailaddress.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QObject>
#include <QStringList>

enum class TmsPriority { Low, Normal, High };

// A mail message as the components send it: one sender, the recipient, CC and BCC lists, a
// subject and a plain-text body.
class TmsCustomMessage : public QObject {
  Q_OBJECT
 public:
  static constexpr qsizetype kMaxSubject = 255;

  explicit TmsCustomMessage(QObject* parent = nullptr);

  TmsMailAddress& Sender() { return sender_; }
  const TmsMailAddress& Sender() const { return sender_; }
  TmsAddressList& Recipients() { return recipients_; }
  const TmsAddressList& Recipients() const { return recipients_; }
  TmsAddressList& CC() { return cc_; }
  const TmsAddressList& CC() const { return cc_; }
  TmsAddressList& BCC() { return bcc_; }
  const TmsAddressList& BCC() const { return bcc_; }

  QString Subject() const { return subject_; }
  void SetSubject(const QString& subject);  // cut to 255 characters, between characters

  QStringList& Body() { return body_; }
  const QStringList& Body() const { return body_; }
  TmsHeaders& Headers() { return headers_; }
  const TmsHeaders& Headers() const { return headers_; }

  QString ContentType() const { return contentType_; }
  void SetContentType(const QString& type) { contentType_ = type; }
  TmsPriority Priority() const { return priority_; }
  void SetPriority(TmsPriority priority) { priority_ = priority; }
  bool ReturnReceipt() const { return returnReceipt_; }
  void SetReturnReceipt(bool on) { returnReceipt_ = on; }

  // When the message was written and its world-wide unique identifier ("<left@right>"). The
  // encoder fills in the present moment and a new identifier for what is not set.
  QDateTime Date() const { return date_; }
  void SetDate(const QDateTime& date) { date_ = date; }
  QString MessageId() const { return messageId_; }
  void SetMessageId(const QString& id) { messageId_ = id; }
  // Dates the message now and gives it a new identifier: each send is a message of its own.
  void Stamp();
  // A new identifier: a random part, "@", and the domain (the sender's, as a rule).
  static QString NewMessageId(const QString& domain);

  // Raises EMessageError when a field would break out of its header line or SMTP command (a
  // CR or LF anywhere) or an address is none that SMTP can carry (control characters, a
  // second address, a stray bracket). Empty addresses are left to the send's own checks.
  void CheckFields() const;

 private:
  TmsMailAddress sender_;
  TmsAddressList recipients_;
  TmsAddressList cc_;
  TmsAddressList bcc_;
  QString subject_;
  QDateTime date_;
  QString messageId_;
  QStringList body_;
  TmsHeaders headers_;
  QString contentType_;
  TmsPriority priority_ = TmsPriority::Normal;
  bool returnReceipt_ = false;
};

class TmsMessage : public TmsCustomMessage {
  Q_OBJECT
 public:
  using TmsCustomMessage::TmsCustomMessage;
};

class TmsCustomEncoder {
 public:
  virtual ~TmsCustomEncoder() = default;
  // The whole message as it goes on the wire (before SMTP's dot transparency).
  virtual QByteArray Encode() const = 0;
  // Writes Encode() to a device; false when the device refused some of it.
  bool EncodeTo(QIODevice& device) const;
};

// Writes a plain-text message with MIME headers. A body of US-ASCII lines shorter than 256
// characters without control characters (a tab aside) goes out as 7bit, otherwise as
// quoted-printable; text outside US-ASCII goes out as UTF-8 (encoded words in headers,
// quoted-printable in the body). Control characters are dropped from names and the subject.
// No line that carries encoded text is longer than 76 characters.
class TmsMessageEncoder : public TmsCustomEncoder {
 public:
  static constexpr int kHeaderNameWidth = 10;
  static constexpr qsizetype kLongLine = 256;
  static constexpr qsizetype kMaxParagraph = 24575;  // characters
  static constexpr qsizetype kMaxEncodedLine = 76;

  explicit TmsMessageEncoder(const TmsCustomMessage& message) : message_(message) {}
  QByteArray Encode() const override;

  // A display name as written in From, To and CC, on a line of `column` characters so far
  // (long encoded names are folded onto further lines).
  static QByteArray DisplayName(const QString& name, qsizetype column = 0);
  // An unstructured header text (the subject), likewise: unchanged when it is printable
  // US-ASCII.
  static QByteArray HeaderText(const QString& text, qsizetype column = 0);
  // The body text (UTF-8 lines each ending in CR LF) in quoted-printable, in lines of at most
  // 65 characters of text cut before a blank where there is one, and never more than 76
  // characters encoded.
  static QByteArray QuotedPrintable(const QByteArray& text);
  // The date as RFC 5322 writes it: "Tue, 08 Dec 2026 09:05:00 +0100".
  static QByteArray DateText(const QDateTime& date);

 private:
  const TmsCustomMessage& message_;
};
