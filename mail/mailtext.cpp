#include "mailtext.h"

#include <QHostAddress>
#include <QStringView>

using namespace Qt::Literals::StringLiterals;

namespace {

// The UTF-16 units of the character that begins at `i`.
qsizetype UnitsAt(const QString& text, qsizetype i) {
  return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

bool IsAtext(QChar c) {
  if (c.unicode() > 126) return false;
  const char a = char(c.unicode());
  return (a >= 'A' && a <= 'Z') || (a >= 'a' && a <= 'z') || (a >= '0' && a <= '9') ||
         QByteArrayView("!#$%&'*+-/=?^_`{|}~").contains(a);
}

bool IsDotAtom(QStringView text) {
  if (text.isEmpty() || text.startsWith(u'.') || text.endsWith(u'.') || text.contains(u".."))
    return false;
  for (const QChar c : text)
    if (c != u'.' && !IsAtext(c)) return false;
  return true;
}

// A quoted local part, quotes included: printable US-ASCII and blanks, with "\" quoting the
// character after it.
bool IsQuotedString(QStringView text) {
  if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"')) return false;
  for (qsizetype i = 1; i + 1 < text.size(); ++i) {
    char16_t c = text[i].unicode();
    if (c == u'"') return false;
    if (c == u'\\') {
      if (++i + 1 >= text.size()) return false;
      c = text[i].unicode();
    }
    if (c < 32 || c > 126) return false;
  }
  return true;
}

bool IsHostName(QStringView text) {
  if (text.isEmpty() || text.size() > 253) return false;
  for (const QStringView label : text.split(u'.')) {
    if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
      return false;
    for (const QChar c : label)
      if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == u'-')) return false;
  }
  return true;
}

// "[192.0.2.1]" or "[IPv6:2001:db8::1]".
bool IsAddressLiteral(QStringView text) {
  if (!text.startsWith(u'[') || !text.endsWith(u']')) return false;
  QStringView inner = text.mid(1, text.size() - 2);
  const bool v6 = inner.startsWith(u"IPv6:", Qt::CaseInsensitive);
  if (v6) inner = inner.mid(5);
  QHostAddress address;
  if (!address.setAddress(inner.toString())) return false;
  return v6 ? address.protocol() == QAbstractSocket::IPv6Protocol
            : address.protocol() == QAbstractSocket::IPv4Protocol;
}

}  // namespace

qsizetype CodePointCount(const QString& text) {
  qsizetype count = 0;
  for (qsizetype i = 0; i < text.size(); i += UnitsAt(text, i)) ++count;
  return count;
}

QString LeftCodePoints(const QString& text, qsizetype count) {
  qsizetype i = 0;
  for (qsizetype n = 0; n < count && i < text.size(); ++n) i += UnitsAt(text, i);
  return text.left(i);
}

bool IsControlChar(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool HasControlChar(const QString& text) {
  for (const QChar c : text)
    if (IsControlChar(c.unicode())) return true;
  return false;
}

QString WithoutControlChars(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'\t')
      out += u' ';
    else if (!IsControlChar(c.unicode()))
      out += c;
  }
  return out;
}

QString SanitizedText(const QByteArray& bytes) {
  QString text = QString::fromUtf8(bytes);
  for (QChar& c : text) {
    if (c == u'\t')
      c = u' ';
    else if (IsControlChar(c.unicode()) || c.category() == QChar::Other_Format)
      c = QChar::ReplacementCharacter;
  }
  return text;
}

bool IsValidMailAddress(const QString& address) {
  const qsizetype at = address.lastIndexOf(u'@');
  if (at <= 0) return false;
  const QStringView local = QStringView(address).left(at);
  const QStringView domain = QStringView(address).mid(at + 1);
  return (IsDotAtom(local) || IsQuotedString(local)) &&
         (IsHostName(domain) || IsAddressLiteral(domain));
}

QString MailDomain(const QString& address) {
  const qsizetype at = address.lastIndexOf(u'@');
  return at < 0 ? QString() : address.mid(at + 1);
}
