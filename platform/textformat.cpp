#include "textformat.h"

QString Format(const QString& pattern, const QStringList& values) {
  QString out;
  out.reserve(pattern.size() + 32);
  qsizetype next = 0;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c == u'%' && i + 1 < pattern.size()) {
      const QChar kind = pattern[i + 1];
      if (kind == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      if (kind == u's' || kind == u'd') {
        if (next < values.size()) out += values[next];
        ++next;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

namespace {
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

QString FromWindows1252(QByteArrayView bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  char16_t* to = reinterpret_cast<char16_t*>(out.data());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *to++ = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b);
  }
  return out;
}
