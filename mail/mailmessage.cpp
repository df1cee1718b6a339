#include "mailmessage.h"

#include "mailerrors.h"
#include "mailstrings.h"
#include "mailtext.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

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

// A text that must go into a header as encoded words: outside US-ASCII, or holding what a
// reader would take for the start of an encoded word.
bool NeedsEncodedWords(const QString& text) {
  return !IsAscii(text) || text.contains(u"=?"_s);
}

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex(QByteArray& out, unsigned char byte) {
  out += '=';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

// The length of the last line of a header text that began at `column`.
qsizetype EndColumn(const QByteArray& text, qsizetype column) {
  const qsizetype lf = text.lastIndexOf('\n');
  return lf < 0 ? column + text.size() : text.size() - lf - 1;
}

// RFC 2047 encoded words in the "Q" form, restricted to the characters a phrase allows, so the
// same words serve display names and the subject. The words fill the line that is `column`
// characters long so far and fold onto further lines, none longer than 76 characters; a
// character's UTF-8 bytes never straddle two words.
QByteArray EncodedWords(const QString& text, qsizetype column) {
  static const QByteArray prefix = "=?utf-8?Q?";
  static const QByteArray suffix = "?=";
  const qsizetype overhead = prefix.size() + suffix.size();

  QByteArray out;
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
    if (column + overhead + word.size() + encoded.size() > TmsMessageEncoder::kMaxEncodedLine) {
      if (!word.isEmpty()) out += prefix + word + suffix;
      word.clear();
      out += "\r\n ";
      column = 1;
    }
    word += encoded;
  }
  out += prefix + word + suffix;
  return out;
}

// A phrase of printable US-ASCII as it stands, or as a quoted string when it holds any of the
// characters RFC 5322 reserves for the structure of addresses, which a reader would otherwise
// take for part of the address.
QByteArray QuotedPhrase(const QString& text) {
  static const QString reserved = u"()<>[]:;@\\,.\""_s;
  bool any = false;
  for (const QChar c : text) any = any || reserved.contains(c);
  if (!any) return text.toLatin1();
  QByteArray quoted = "\"";
  for (const QChar c : text) {
    if (c == u'\\' || c == u'"') quoted += '\\';
    quoted += char(c.unicode());
  }
  return quoted + '"';
}

// A display name with text outside US-ASCII: runs of plain words as a quoted string, runs of
// the other words as encoded words, folded at the blanks between runs. Readers disagree on
// the blank between two encoded words (RFC 2047 drops it, some keep it); between a quoted
// string and an encoded word every reader keeps it, so the name reads the same everywhere.
QByteArray EncodedPhrase(const QString& text, qsizetype column) {
  QList<std::pair<bool, QString>> runs;  // (encoded, words)
  for (const QString& word : text.split(u' ')) {
    const bool encoded = NeedsEncodedWords(word);
    if (!runs.isEmpty() && runs.last().first == encoded)
      runs.last().second += u' ' + word;
    else
      runs.append({encoded, word});
  }
  QByteArray out;
  for (qsizetype i = 0; i < runs.size(); ++i) {
    const qsizetype gap = i == 0 ? 0 : 1;
    QByteArray piece =
        runs[i].first ? EncodedWords(runs[i].second, column + gap) : QuotedPhrase(runs[i].second);
    QByteArray separator = gap ? " " : "";
    if (piece.startsWith("\r\n ")) {
      piece.remove(0, 3);
      separator = "\r\n ";
    } else if (gap && !runs[i].first &&
               column + 1 + piece.size() > TmsMessageEncoder::kMaxEncodedLine) {
      separator = "\r\n ";
    }
    if (separator.startsWith('\r')) column = 0;
    out += separator + piece;
    column = EndColumn(piece, column + (separator.startsWith('\r') ? 1 : gap));
  }
  return out;
}

// Quoted-printable width of one byte.
qsizetype QpWidth(unsigned char b) {
  return (b < 32 || b == '=' || b > 126) ? 3 : 1;
}

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// One paragraph of the body (UTF-8), cut into lines of quoted-printable text: at most 65
// characters of text, cut before the last blank where there is one, and no line longer than
// 76 characters with its soft line break. A character is never cut in two.
void EncodeParagraph(QByteArrayView para, QByteArray& out) {
  constexpr qsizetype kPiece = 65;
  constexpr qsizetype kMaxLine = TmsMessageEncoder::kMaxEncodedLine;
  // The characters ahead: where each begins and how wide it is encoded.
  std::array<qsizetype, kPiece + 2> starts{};
  std::array<qsizetype, kPiece + 1> widths{};
  // One line, put together before it is appended: appending byte by byte costs more than
  // the encoding itself.
  auto write = [&](qsizetype from, qsizetype to, bool last) {
    char line[kMaxLine + 8];
    qsizetype n = 0;
    for (qsizetype k = from; k < to; ++k) {
      const auto b = static_cast<unsigned char>(para[k]);
      // A blank at the very end of a line would be taken for padding and dropped on the way.
      if (QpWidth(b) == 3 || (last && b == ' ' && k == to - 1)) {
        line[n++] = '=';
        line[n++] = kHex[b >> 4];
        line[n++] = kHex[b & 0x0F];
      } else {
        line[n++] = static_cast<char>(b);
      }
    }
    if (!last) line[n++] = '=';
    line[n++] = '\r';
    line[n++] = '\n';
    out.append(line, n);
  };

  qsizetype pos = 0;
  for (;;) {
    qsizetype n = 0;
    qsizetype p = pos;
    qsizetype total = 0;
    while (p < para.size() && n <= kPiece) {
      starts[n] = p;
      widths[n] = QpWidth(static_cast<unsigned char>(para[p]));
      for (++p; p < para.size() && !StartsCharacter(para[p]); ++p)
        widths[n] += QpWidth(static_cast<unsigned char>(para[p]));
      total += widths[n++];
    }
    starts[n] = p;

    // A remainder shorter than 65 characters that fits is the last line of the paragraph.
    if (p == para.size() && n < kPiece) {
      const bool blankAtEnd = n > 0 && para[p - 1] == ' ';
      if (total + (blankAtEnd ? 2 : 0) <= kMaxLine) {
        write(pos, p, true);
        return;
      }
    }
    // The longest run that fits with its "=", then back to the last blank after the first
    // character; that blank begins the next line.
    qsizetype fit = 0;
    for (qsizetype w = 0; fit < n && fit < kPiece && w + widths[fit] + 1 <= kMaxLine; ++fit)
      w += widths[fit];
    qsizetype cut = fit;
    for (qsizetype k = std::min(fit, n - 1); k >= 1; --k) {
      if (para[starts[k]] == ' ') {
        cut = k;
        break;
      }
    }
    write(pos, starts[cut], false);
    pos = starts[cut];
  }
}

QByteArray PaddedName(const char* name) {
  QByteArray header(name);
  header += ':';
  return header.leftJustified(TmsMessageEncoder::kHeaderNameWidth, ' ');
}

// "lead" + display name + " <address" + end; an address that no longer fits on the line of an
// encoded name goes onto a line of its own.
QByteArray AddressLine(const QByteArray& lead, const TmsMailAddress& a, const char* end) {
  QByteArray text = lead + TmsMessageEncoder::DisplayName(a.Name(), lead.size());
  const QByteArray tail = '<' + a.Address().toUtf8() + end;
  const bool encoded = text.contains("=?");
  if (encoded && EndColumn(text, 0) + 1 + tail.size() > TmsMessageEncoder::kMaxEncodedLine)
    text += "\r\n " + tail;
  else
    text += ' ' + tail;
  return text;
}

// Header names the encoder writes itself; further header lines of these names are left out.
bool IsOwnHeader(const QString& name) {
  static const std::array<QString, 13> own = {u"From"_s,
                                              u"To"_s,
                                              u"CC"_s,
                                              u"BCC"_s,
                                              u"Return-Receipt-To"_s,
                                              u"X-Priority"_s,
                                              u"Date"_s,
                                              u"Message-ID"_s,
                                              u"Subject"_s,
                                              u"Mime-Version"_s,
                                              u"Content-Type"_s,
                                              u"X-Encoding"_s,
                                              u"Content-Transfer-Encoding"_s};
  for (const QString& o : own)
    if (name.compare(o, Qt::CaseInsensitive) == 0) return true;
  return false;
}

// A body line that 7bit cannot carry as it stands: control characters other than the tab.
bool HasControlBesidesTab(const QString& line) {
  for (const QChar c : line)
    if (c != u'\t' && IsControlChar(c.unicode())) return true;
  return false;
}

void CheckAddress(const QString& address) {
  if (!address.isEmpty() && !IsValidMailAddress(address))
    throw EMessageError(
        MsLoadStr(MsStr::InvalidAddress).replace(u"%s"_s, SanitizedText(address.toUtf8())));
}

}  // namespace

TmsCustomMessage::TmsCustomMessage(QObject* parent)
    : QObject(parent), contentType_(u"text/plain"_s) {}

void TmsCustomMessage::SetSubject(const QString& subject) {
  subject_ = LeftCodePoints(subject, kMaxSubject);
}

void TmsCustomMessage::Stamp() {
  date_ = QDateTime::currentDateTime();
  messageId_ = NewMessageId(MailDomain(sender_.Address()));
}

QString TmsCustomMessage::NewMessageId(const QString& domain) {
  // The time makes it unique from this sender, the random part across senders and machines.
  QRandomGenerator* random = QRandomGenerator::system();
  const QString left = QString::number(QDateTime::currentMSecsSinceEpoch(), 36) + u'.' +
                       QString::number(random->generate64(), 36) +
                       QString::number(random->generate64(), 36);
  const bool usable = IsValidMailAddress(u"x@"_s + domain);
  return u'<' + left + u'@' + (usable ? domain : u"localhost"_s) + u'>';
}

void TmsCustomMessage::CheckFields() const {
  bool lineBreak =
      HasLineBreak(subject_) || HasLineBreak(sender_.Address()) || HasLineBreak(sender_.Name());
  for (const TmsAddressList* list : {&recipients_, &cc_, &bcc_})
    for (const TmsMailAddress& a : *list)
      lineBreak = lineBreak || HasLineBreak(a.Address()) || HasLineBreak(a.Name());
  for (const QString& h : headers_) lineBreak = lineBreak || HasLineBreak(h);
  if (lineBreak) throw EMessageError(MsLoadStr(MsStr::LineBreakInField));

  CheckAddress(sender_.Address());
  for (const TmsAddressList* list : {&recipients_, &cc_, &bcc_})
    for (const TmsMailAddress& a : *list) CheckAddress(a.Address());
}

bool TmsCustomEncoder::EncodeTo(QIODevice& device) const {
  const QByteArray bytes = Encode();
  return device.write(bytes) == bytes.size();
}

QByteArray TmsMessageEncoder::DisplayName(const QString& name, qsizetype column) {
  const QString text = WithoutControlChars(name);
  if (NeedsEncodedWords(text)) return EncodedPhrase(text, column);
  return QuotedPhrase(text);
}

QByteArray TmsMessageEncoder::HeaderText(const QString& text, qsizetype column) {
  const QString clean = WithoutControlChars(text);
  return NeedsEncodedWords(clean) ? EncodedWords(clean, column) : clean.toLatin1();
}

QByteArray TmsMessageEncoder::DateText(const QDateTime& date) {
  static constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const QDate d = date.date();
  const QTime t = date.time();
  const int offset = date.offsetFromUtc() / 60;
  const int size = std::abs(offset);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                kDays[d.dayOfWeek() - 1], d.day(), kMonths[d.month() - 1], d.year(), t.hour(),
                t.minute(), t.second(), offset < 0 ? '-' : '+', size / 60, size % 60);
  return text;
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
    if (para.size() > kMaxParagraph &&
        std::count_if(para.begin(), para.end(), StartsCharacter) > kMaxParagraph)
      throw EMessageError(MsLoadStr(MsStr::ParagraphTooLarge));
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

  line(AddressLine(PaddedName("From"), m.Sender(), ">"));
  auto addressLines = [&](const char* name, const TmsAddressList& list) {
    for (qsizetype i = 0; i < list.Count(); ++i) {
      const QByteArray lead = i == 0 ? PaddedName(name) : QByteArray(kHeaderNameWidth, ' ');
      line(AddressLine(lead, list.Item(i), i + 1 == list.Count() ? ">" : ">,"));
    }
  };
  addressLines("To", m.Recipients());
  addressLines("CC", m.CC());

  if (m.ReturnReceipt()) line("Return-Receipt-To: <" + m.Sender().Address().toUtf8() + '>');
  if (m.Priority() == TmsPriority::Low) line("X-Priority: 5");
  if (m.Priority() == TmsPriority::High) line("X-Priority: 1");
  for (const QString& h : m.Headers())
    if (!IsOwnHeader(h.section(u':', 0, 0).trimmed())) line(h.toUtf8());
  // Mail without these two is taken for spam or refused by large providers.
  line("Date: " + DateText(m.Date().isValid() ? m.Date() : QDateTime::currentDateTime()));
  const QString id = m.MessageId().isEmpty()
                         ? TmsCustomMessage::NewMessageId(MailDomain(m.Sender().Address()))
                         : m.MessageId();
  line("Message-ID: " + id.toUtf8());
  if (!m.Subject().isEmpty()) line("Subject: " + HeaderText(m.Subject(), 9));

  bool ascii = true;
  bool qp = false;
  for (const QString& l : m.Body()) {
    ascii = ascii && IsAscii(l);
    qp = qp || l.size() >= kLongLine || HasControlBesidesTab(l);
  }
  qp = qp || !ascii;

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
