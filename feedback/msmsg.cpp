#include "msmsg.h"

#include "mserrors.h"
#include "msstrings.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

bool HasLineBreak(const QString& text) {
  return text.contains(u'\r') || text.contains(u'\n');
}

bool IsAscii(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() > 127) return false;
  return true;
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex(QByteArray& out, unsigned char byte) {
  out += '=';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

// RFC 2047 encoded words in the "Q" form, restricted to the characters a phrase allows, so the
// same words serve display names and the subject. A text that does not fit into one word of
// the longest length allowed goes into several, folded onto lines of their own; a character's
// UTF-8 bytes never straddle two words.
QByteArray EncodedWords(const QString& text) {
  static const QByteArray prefix = "=?utf-8?Q?";
  static const QByteArray suffix = "?=";
  constexpr qsizetype kMaxWord = 75;

  QList<QByteArray> words;
  QByteArray word;
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype units = 1;
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) units = 2;
    const QByteArray bytes = text.mid(i, units).toUtf8();
    i += units - 1;

    QByteArray encoded;
    for (const char ch : bytes) {
      const auto b = static_cast<unsigned char>(ch);
      if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '!' ||
          b == '*' || b == '+' || b == '-' || b == '/')
        encoded += ch;
      else if (b == ' ')
        encoded += '_';
      else
        AppendHex(encoded, b);
    }
    if (!word.isEmpty() &&
        prefix.size() + word.size() + encoded.size() + suffix.size() > kMaxWord) {
      words << word;
      word.clear();
    }
    word += encoded;
  }
  words << word;

  QByteArray out;
  for (qsizetype i = 0; i < words.size(); ++i) {
    if (i > 0) out += "\r\n ";
    out += prefix + words[i] + suffix;
  }
  return out;
}

// One paragraph of the body, cut into lines of quoted-printable text.
void EncodeParagraph(QByteArrayView para, QByteArray& out) {
  constexpr qsizetype kPiece = 65;
  qsizetype pos = 0;
  for (;;) {
    const qsizetype rest = para.size() - pos;
    qsizetype cut = rest;
    bool last = rest < kPiece;
    if (!last) {
      // Cut before the last blank among the first 66 characters, so no line ends in a blank;
      // a blank in first place does not count.
      cut = kPiece;
      for (qsizetype k = std::min<qsizetype>(kPiece, rest - 1); k >= 1; --k) {
        if (para[pos + k] == ' ') {
          cut = k;
          break;
        }
      }
    }
    for (qsizetype k = 0; k < cut; ++k) {
      const auto b = static_cast<unsigned char>(para[pos + k]);
      // A blank at the very end of a line would be taken for padding and dropped on the way.
      const bool trailingBlank = last && b == ' ' && k == cut - 1;
      if (b < 32 || b == '=' || b > 127 || trailingBlank)
        AppendHex(out, b);
      else
        out += static_cast<char>(b);
    }
    if (!last) out += '=';
    out += "\r\n";
    if (last) break;
    pos += cut;
  }
}

QByteArray PaddedName(const char* name) {
  QByteArray header(name);
  header += ':';
  return header.leftJustified(TmsMessageEncoder::kHeaderNameWidth, ' ');
}

// Header names the encoder writes itself; further header lines of these names are left out.
bool IsOwnHeader(const QString& name) {
  static const std::array<QString, 11> own = {u"From"_s,
                                              u"To"_s,
                                              u"CC"_s,
                                              u"BCC"_s,
                                              u"Return-Receipt-To"_s,
                                              u"X-Priority"_s,
                                              u"Subject"_s,
                                              u"Mime-Version"_s,
                                              u"Content-Type"_s,
                                              u"X-Encoding"_s,
                                              u"Content-Transfer-Encoding"_s};
  for (const QString& o : own)
    if (name.compare(o, Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

TmsCustomMessage::TmsCustomMessage(QObject* parent)
    : QObject(parent), contentType_(u"text/plain"_s) {}

void TmsCustomMessage::SetSubject(const QString& subject) {
  subject_ = subject.left(kMaxSubject);
}

bool TmsCustomMessage::HasLineBreakInFields() const {
  if (HasLineBreak(subject_) || HasLineBreak(sender_.Address()) || HasLineBreak(sender_.Name()))
    return true;
  for (const TmsAddressList* list : {&recipients_, &cc_, &bcc_})
    for (const TmsMailAddress& a : *list)
      if (HasLineBreak(a.Address()) || HasLineBreak(a.Name())) return true;
  for (const QString& h : headers_)
    if (HasLineBreak(h)) return true;
  return false;
}

bool TmsCustomEncoder::EncodeTo(QIODevice& device) const {
  const QByteArray bytes = Encode();
  return device.write(bytes) == bytes.size();
}

QByteArray TmsMessageEncoder::DisplayName(const QString& name) {
  if (!IsAscii(name)) return EncodedWords(name);
  if (name.contains(u'.') && !name.contains(u'"')) return '"' + name.toLatin1() + '"';
  return name.toLatin1();
}

QByteArray TmsMessageEncoder::HeaderText(const QString& text) {
  return IsAscii(text) ? text.toLatin1() : EncodedWords(text);
}

QByteArray TmsMessageEncoder::QuotedPrintable(const QByteArray& text) {
  QByteArray out;
  out.reserve(text.size() + text.size() / 8);
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    const qsizetype start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    const QByteArrayView para(text.constData() + start, i - start);
    // CR LF is one line end; a lone CR or LF is one as well.
    if (i < n) i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
    if (para.size() > kMaxParagraph) throw EMessageError(MsLoadStr(MsStr::ParagraphTooLarge));
    EncodeParagraph(para, out);
  }
  return out;
}

QByteArray TmsMessageEncoder::Encode() const {
  const TmsCustomMessage& m = message_;
  QByteArray out;
  auto line = [&out](const QByteArray& text) {
    out += text;
    out += "\r\n";
  };
  auto addressOf = [](const TmsMailAddress& a) {
    return DisplayName(a.Name()) + " <" + a.Address().toUtf8();
  };

  line(PaddedName("From") + addressOf(m.Sender()) + '>');
  auto addressLines = [&](const char* name, const TmsAddressList& list) {
    for (qsizetype i = 0; i < list.Count(); ++i) {
      const QByteArray lead = i == 0 ? PaddedName(name) : QByteArray(kHeaderNameWidth, ' ');
      line(lead + addressOf(list.Item(i)) + (i + 1 == list.Count() ? ">" : ">,"));
    }
  };
  addressLines("To", m.Recipients());
  addressLines("CC", m.CC());

  if (m.ReturnReceipt()) line("Return-Receipt-To: <" + m.Sender().Address().toUtf8() + '>');
  if (m.Priority() == TmsPriority::Low) line("X-Priority: 5");
  if (m.Priority() == TmsPriority::High) line("X-Priority: 1");
  for (const QString& h : m.Headers())
    if (!IsOwnHeader(h.section(u':', 0, 0).trimmed())) line(h.toUtf8());
  if (!m.Subject().isEmpty()) line("Subject: " + HeaderText(m.Subject()));

  bool ascii = true;
  bool longLine = false;
  for (const QString& l : m.Body()) {
    ascii = ascii && IsAscii(l);
    longLine = longLine || l.size() >= kLongLine;
  }
  const bool qp = longLine || !ascii;

  line("Mime-Version: 1.0");
  line("Content-Type: " + m.ContentType().toLatin1() + "; charset=\"" +
       (ascii ? "us-ascii" : "utf-8") + '"');
  line(qp ? "Content-Transfer-Encoding: quoted-printable" : "Content-Transfer-Encoding: 7bit");
  line(QByteArray());

  QByteArray body;
  for (const QString& l : m.Body()) {
    body += l.toUtf8();
    body += "\r\n";
  }
  out += qp ? QuotedPrintable(body) : body;
  return out;
}
