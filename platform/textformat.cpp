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
