#pragma once

#include "msmsgcls.h"

#include <QByteArray>
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
  void SetSubject(const QString& subject);  // cut to 255 characters

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

  // Whether a sender, a recipient or the subject holds a CR or LF, which would let it break
  // out of its header line or SMTP command.
  bool HasLineBreakInFields() const;

 private:
  TmsMailAddress sender_;
  TmsAddressList recipients_;
  TmsAddressList cc_;
  TmsAddressList bcc_;
  QString subject_;
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
// characters goes out as 7bit, otherwise as quoted-printable; text outside US-ASCII goes out
// as UTF-8 (encoded words in headers, quoted-printable in the body).
class TmsMessageEncoder : public TmsCustomEncoder {
 public:
  static constexpr int kHeaderNameWidth = 10;
  static constexpr qsizetype kLongLine = 256;
  static constexpr qsizetype kMaxParagraph = 24575;

  explicit TmsMessageEncoder(const TmsCustomMessage& message) : message_(message) {}
  QByteArray Encode() const override;

  // A display name as written in From, To and CC.
  static QByteArray DisplayName(const QString& name);
  // An unstructured header text (the subject): unchanged when it is US-ASCII.
  static QByteArray HeaderText(const QString& text);
  // The body text (lines each ending in CR LF) in quoted-printable, in lines of at most 65
  // characters of text cut before a blank where there is one.
  static QByteArray QuotedPrintable(const QByteArray& text);

 private:
  const TmsCustomMessage& message_;
};
