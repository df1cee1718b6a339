// The message and its encoder: header layout, display names, encoded words and the body in
// 7bit or quoted-printable.

#include "mailerrors.h"
#include "mailmessage.h"
#include "mailsupport.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray Encode(const TmsMessage& m) {
  return TmsMessageEncoder(m).Encode();
}

// Undoes quoted-printable as a mail reader does: "=XX" is a byte, "=" at a line end joins.
QByteArray DecodeQP(const QByteArray& text) {
  QByteArray out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out += text[i];
    } else if (text.mid(i + 1, 2) == "\r\n") {
      i += 2;
    } else {
      out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
      i += 2;
    }
  }
  return out;
}

QByteArray BodyOf(const QByteArray& encoded) {
  return encoded.mid(encoded.indexOf("\r\n\r\n") + 4);
}

QByteArray HeadOf(const QByteArray& encoded) {
  return encoded.left(encoded.indexOf("\r\n\r\n") + 2);
}

// Date and Message-ID fixed, so the layout can be compared byte for byte.
void Stamp(TmsMessage& m) {
  m.SetDate(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7), QTimeZone(3600)));
  m.SetMessageId(u"<lx1.abc@example.org>"_s);
}
const QByteArray kStamp =
    "Date: Tue, 08 Dec 2026 09:05:07 +0100\r\nMessage-ID: <lx1.abc@example.org>\r\n";

TmsMessage& Basic(TmsMessage& m) {
  Stamp(m);
  m.Sender().SetAddress(u"tester@example.org"_s);
  m.Recipients().Add(u"support@example.com"_s, u"Support"_s);
  m.SetSubject(u"Saltmarch 98 v1.2.0.98 Bug Report"_s);
  m.Body() << QString() << u"[Beta Version]"_s << QString() << u"It crashed."_s;
  return m;
}

}  // namespace

TEST(MailMessage, TextsAreCutTo255Characters) {
  TmsMessage m;
  m.SetSubject(QString(300, u's'));
  m.Sender().SetAddress(QString(300, u'a'));
  m.Sender().SetName(QString(256, u'n'));
  EXPECT_EQ(m.Subject().size(), 255);
  EXPECT_EQ(m.Sender().Address().size(), 255);
  EXPECT_EQ(m.Sender().Name().size(), 255);
  // Characters, not UTF-16 units: an emoji at the limit stays whole.
  const QString emoji = u"\U0001F600"_s;
  m.SetSubject(QString(254, u's') + emoji + u"x"_s);
  EXPECT_EQ(m.Subject(), QString(254, u's') + emoji);
  m.Sender().SetName(emoji.repeated(300));
  EXPECT_EQ(m.Sender().Name(), emoji.repeated(255));
}

TEST(MailEncoder, PlainAsciiMessageHasTheFixedLayout) {
  TmsMessage m;
  Basic(m);
  m.Recipients().Clear();
  m.Recipients().Add(u"beta@pellworth.example"_s,
                     u"Saltmarch 98 : Glass Horizon (Beta 1.2) Feedback"_s);
  EXPECT_EQ(Encode(m),
            "From:      <tester@example.org>\r\n"
            "To:       \"Saltmarch 98 : Glass Horizon (Beta 1.2) Feedback\" "
            "<beta@pellworth.example>\r\n" +
                kStamp +
                "Subject: Saltmarch 98 v1.2.0.98 Bug Report\r\n"
                "Mime-Version: 1.0\r\n"
                "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                "Content-Transfer-Encoding: 7bit\r\n"
                "\r\n"
                "\r\n"
                "[Beta Version]\r\n"
                "\r\n"
                "It crashed.\r\n");
}

TEST(MailEncoder, DisplayNamesDateAndMessageId) {
  // Plain names stand as they are; a reader would decode "=?...?=", so it is encoded.
  EXPECT_EQ(TmsMessageEncoder::DisplayName(u"Jo\u001B Tester"_s), "Jo Tester");
  EXPECT_EQ(TmsMessageEncoder::DisplayName(u"=?utf-8?Q?x?="_s),
            "=?utf-8?Q?=3D=3Futf-8=3FQ=3Fx=3F=3D?=");
  EXPECT_EQ(TmsMessageEncoder::DateText(
                QDateTime(QDate(2026, 3, 1), QTime(23, 4, 5), QTimeZone(-(3 * 3600 + 1800)))),
            "Sun, 01 Mar 2026 23:04:05 -0330");
  const QString id = TmsCustomMessage::NewMessageId(u"example.org"_s);
  EXPECT_TRUE(QRegularExpression(u"^<[0-9a-z]+\\.[0-9a-z]+@example\\.org>$"_s).match(id).hasMatch())
      << id.toStdString();
  EXPECT_TRUE(TmsCustomMessage::NewMessageId(u"bad domain>"_s).endsWith(u"@localhost>"_s));
}

TEST(MailEncoder, AddressListsAndOptionalHeaders) {
  TmsMessage m;
  m.Sender().SetAddress(u"me@example.org"_s);
  m.Sender().SetName(u"J. Random"_s);
  m.Recipients().Add(u"a@example.com"_s, u"Alice"_s);
  m.Recipients().Add(u"b@example.com"_s, u"B. \"Bob\" Jones"_s);
  m.Recipients().Add(u"c@example.com"_s, QString());
  m.CC().Add(u"d@example.com"_s, u"Dee"_s);
  m.BCC().Add(u"hidden@example.com"_s, u"Hidden"_s);
  m.SetReturnReceipt(true);
  m.SetPriority(TmsPriority::High);
  m.Headers() << u"X-Tester: yes"_s << u"subject: sneaky"_s << u"Content-Type: text/html"_s
              << u"Date: yesterday"_s << u"message-id: <dup@x>"_s;
  Stamp(m);
  // No subject: no Subject line.
  EXPECT_EQ(HeadOf(Encode(m)),
            "From:     \"J. Random\" <me@example.org>\r\n"
            "To:       Alice <a@example.com>,\r\n"
            "          \"B. \\\"Bob\\\" Jones\" <b@example.com>,\r\n"
            "           <c@example.com>\r\n"
            "CC:       Dee <d@example.com>\r\n"
            "Return-Receipt-To: <me@example.org>\r\n"
            "X-Priority: 1\r\n"
            "X-Tester: yes\r\n" +
                kStamp +
                "Mime-Version: 1.0\r\n"
                "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                "Content-Transfer-Encoding: 7bit\r\n");

  m.SetPriority(TmsPriority::Low);
  EXPECT_TRUE(Encode(m).contains("\r\nX-Priority: 5\r\n"));
}

TEST(MailEncoder, NamesAndSubjectOutsideAsciiBecomeEncodedWords) {
  TmsMessage m;
  Basic(m);
  m.Recipients().Clear();
  m.Recipients().Add(u"beta@pellworth.example"_s,
                     u"Saltmarch 98 : Glass Horizon (\u00DF 1.2) Feedback"_s);
  m.SetSubject(u"Saltmarch 98 v1.2 Gr\u00FC\u00DFe"_s);
  const QByteArray head = HeadOf(Encode(m));
  // Only the word outside US-ASCII is encoded; the rest stays a quoted string, and the line
  // is folded at a blank before it grows past 76 characters.
  EXPECT_TRUE(
      head.contains("To:       \"Saltmarch 98 : Glass Horizon\" =?utf-8?Q?=28=C3=9F?=\r\n"
                    " \"1.2) Feedback\" <beta@pellworth.example>\r\n"))
      << head.constData();
  EXPECT_TRUE(head.contains("Subject: =?utf-8?Q?Saltmarch_98_v1=2E2_Gr=C3=BC=C3=9Fe?=\r\n"));
  // The header part carries no 8-bit byte.
  for (const char c : head) EXPECT_LT(static_cast<unsigned char>(c), 128);
}

TEST(MailEncoder, LongEncodedTextIsFoldedWithoutSplittingCharacters) {
  TmsMessage m;
  Basic(m);
  m.SetSubject(QString(40, QChar(0x20AC)));  // euro signs, three bytes each
  const QByteArray head = HeadOf(Encode(m));
  const qsizetype from = head.indexOf("Subject: ");
  const QByteArray subject = head.mid(from, head.indexOf("\r\nMime-Version") - from);
  const QList<QByteArray> lines = subject.split('\n');
  ASSERT_GT(lines.size(), 1);
  QByteArray joined;
  for (QByteArray line : lines) {
    line = line.trimmed();
    if (line.startsWith("Subject: ")) line = line.mid(9);
    EXPECT_LE(line.size(), 75);
    ASSERT_TRUE(line.startsWith("=?utf-8?Q?") && line.endsWith("?=")) << line.constData();
    joined += line.mid(10, line.size() - 12);
  }
  // Every word holds whole characters: each starts a new three-byte sequence.
  for (const QByteArray& line : lines)
    EXPECT_TRUE(line.trimmed().contains("?Q?=E2=82=AC")) << line.constData();
  EXPECT_EQ(QString::fromUtf8(DecodeQP(joined)), QString(40, QChar(0x20AC)));
}

TEST(MailEncoder, LongLineSwitchesTheWholeBodyToQuotedPrintable) {
  TmsMessage m;
  Basic(m);
  const QString words = u"The harvester stops at the spice field and waits. "_s.repeated(6);
  m.Body() << words.left(300) << u"a=b\tc"_s << u".x"_s << u"."_s << u"ends with blanks  "_s;
  const QByteArray encoded = Encode(m);
  EXPECT_TRUE(encoded.contains("\r\nContent-Transfer-Encoding: quoted-printable\r\n"));
  EXPECT_TRUE(encoded.contains("charset=\"us-ascii\""));
  const QByteArray body = BodyOf(encoded);
  for (const QByteArray& line : body.split('\n')) EXPECT_LE(line.size(), 66 + 2);
  // Cut before a blank, so no line ends in one.
  EXPECT_FALSE(body.contains(" =\r\n"));
  EXPECT_TRUE(body.contains("\r\na=3Db=09c\r\n"));
  EXPECT_TRUE(body.contains("\r\nends with blanks =20\r\n"));

  QByteArray plain;
  for (const QString& l : m.Body()) plain += l.toUtf8() + "\r\n";
  EXPECT_EQ(DecodeQP(body), plain);
}

TEST(MailEncoder, QuotedPrintableLineLayout) {
  // Shorter than 65: one line. No blank after the first character: cut after 65.
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable("short\r\n"), "short\r\n");
  const QByteArray x65(65, 'x');
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable(x65 + "yz\r\n"), x65 + "=\r\nyz\r\n");
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable(x65 + "\r\n"), x65 + "=\r\n\r\n");
  // The last blank among the first 66 characters begins the next line.
  const QByteArray a60(60, 'a');
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable(a60 + " bbb ccccc dd\r\n"),
            a60 + " bbb=\r\n ccccc dd\r\n");
  // Empty paragraphs stay empty lines; a lone LF or CR ends a paragraph too.
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable("a\r\n\r\nb\nc\rd\r\n"), "a\r\n\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(TmsMessageEncoder::QuotedPrintable("\xC3\x9F=\x01\r\n"), "=C3=9F=3D=01\r\n");
}

TEST(MailEncoder, BodyOutsideAsciiIsSentAsUtf8QuotedPrintable) {
  TmsMessage m;
  Basic(m);
  m.Body() << u"Der Sardaukar schie\u00DFt daneben."_s;
  const QByteArray encoded = Encode(m);
  EXPECT_TRUE(encoded.contains("Content-Type: text/plain; charset=\"utf-8\"\r\n"));
  EXPECT_TRUE(encoded.contains("Content-Transfer-Encoding: quoted-printable\r\n"));
  EXPECT_TRUE(encoded.contains("schie=C3=9Ft daneben."));
  for (const char c : encoded) EXPECT_LT(static_cast<unsigned char>(c), 128);
}

TEST(MailEncoder, ParagraphLimit) {
  QByteArray text(TmsMessageEncoder::kMaxParagraph, 'p');
  EXPECT_NO_THROW(TmsMessageEncoder::QuotedPrintable(text + "\r\n"));
  try {
    TmsMessageEncoder::QuotedPrintable(text + "p\r\n");
    FAIL() << "a paragraph above the limit was encoded";
  } catch (const EMessageError& e) {
    EXPECT_EQ(e.Message(), u"Paragraph is too large"_s);
  }
  // The limit counts characters, not their bytes.
  const QByteArray umlauts = QString(TmsMessageEncoder::kMaxParagraph, u'\u00FC').toUtf8();
  EXPECT_NO_THROW(TmsMessageEncoder::QuotedPrintable(umlauts + "\r\n"));
  EXPECT_THROW(TmsMessageEncoder::QuotedPrintable(umlauts + "\xC3\xBC\r\n"), EMessageError);
}
