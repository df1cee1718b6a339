#include "regfile.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kRegedit4 = u"REGEDIT4"_s;
const QString kRegedit5 = u"Windows Registry Editor Version 5.00"_s;
const QString kWine = u"WINE REGISTRY Version 2"_s;

bool Fail(QString* error, const QString& why, int line) {
  if (error) *error = u"line %1: %2"_s.arg(line).arg(why);
  return false;
}

// Reads a quoted text starting at `at` (on the opening quote); leaves `at` after the closing
// quote. Understands \\ and \" as REGEDIT4 writes them, and \n \r \t \0 \xHHHH as Wine does.
std::optional<QString> ReadQuoted(const QString& line, qsizetype& at) {
  if (at >= line.size() || line[at] != u'"') return std::nullopt;
  QString out;
  for (++at; at < line.size(); ++at) {
    const QChar c = line[at];
    if (c == u'"') {
      ++at;
      return out;
    }
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (++at >= line.size()) return std::nullopt;
    const QChar e = line[at];
    if (e == u'n') {
      out += u'\n';
    } else if (e == u'r') {
      out += u'\r';
    } else if (e == u't') {
      out += u'\t';
    } else if (e == u'0') {
      out += QChar(0);
    } else if (e == u'x') {
      qsizetype end = at + 1;
      while (end < line.size() && end < at + 5 &&
             QStringLiteral("0123456789abcdefABCDEF").contains(line[end]))
        ++end;
      bool ok = false;
      const uint code = line.mid(at + 1, end - at - 1).toUInt(&ok, 16);
      if (!ok) return std::nullopt;
      out += QChar(char16_t(code));
      at = end - 1;
    } else {
      out += e;  // \\ and \" and anything else stand for themselves
    }
  }
  return std::nullopt;
}

QString Quote(const QString& s) {
  QString out = u"\""_s;
  for (const QChar c : s) {
    if (c == u'\\' || c == u'"') out += u'\\';
    if (c == u'\n') {
      out += u"\\n"_s;
      continue;
    }
    if (c == u'\r') {
      out += u"\\r"_s;
      continue;
    }
    if (c == QChar(0)) {
      out += u"\\0"_s;
      continue;
    }
    out += c;
  }
  return out + u'"';
}

// Wine writes key paths with doubled backslashes and \x escapes.
QString UnescapeWinePath(const QString& path) {
  QString out;
  for (qsizetype i = 0; i < path.size(); ++i) {
    if (path[i] == u'\\' && i + 1 < path.size()) {
      if (path[i + 1] == u'\\') {
        out += u'\\';
        ++i;
        continue;
      }
    }
    out += path[i];
  }
  return out;
}

std::optional<RegValue> ParseData(const QString& data) {
  if (data.startsWith(u'"')) {
    qsizetype at = 0;
    auto text = ReadQuoted(data, at);
    if (!text || !data.mid(at).trimmed().isEmpty()) return std::nullopt;
    return RegValue::String(*text);
  }
  if (data.startsWith(u"dword:"_s, Qt::CaseInsensitive)) {
    const QString digits = data.mid(6).trimmed();
    bool ok = false;
    const uint v = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8) return std::nullopt;
    return RegValue::Dword(v);
  }
  if (data.startsWith(u"hex"_s, Qt::CaseInsensitive) || data.startsWith(u"str("_s) ||
      data.startsWith(u"-"_s)) {
    return RegValue{RegValue::Type::Other, data, 0};
  }
  return std::nullopt;
}

}  // namespace

QString RegHive::CanonicalPath(const QString& path) {
  return path.split(u'\\', Qt::SkipEmptyParts).join(u'\\').toLower();
}

std::optional<RegHive> RegHive::Parse(const QByteArray& bytes, const QString& wineRoot,
                                      QString* error) {
  // REGEDIT4 files are 8-bit text in the system's code page; version 5 files and Wine's are
  // UTF-16 or UTF-8. Treat 8-bit text as UTF-8 when it is valid, else as Latin-1.
  QString text;
  if (bytes.startsWith("\xFF\xFE")) {
    text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
  } else {
    text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) text = QString::fromLatin1(bytes);
  }
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

  QStringList lines = text.split(u'\n');
  for (QString& l : lines) {
    if (l.endsWith(u'\r')) l.chop(1);
  }
  qsizetype first = 0;
  while (first < lines.size() && lines[first].trimmed().isEmpty()) ++first;
  if (first == lines.size()) {
    Fail(error, u"the file is empty"_s, 1);
    return std::nullopt;
  }
  const QString header = lines[first].trimmed();
  const bool wine = header == kWine;
  if (!wine && header != kRegedit4 && header != kRegedit5) {
    Fail(error, u"not a registry file"_s, int(first + 1));
    return std::nullopt;
  }

  RegHive hive;
  Key* current = nullptr;
  for (qsizetype i = first + 1; i < lines.size(); ++i) {
    const int lineNo = int(i + 1);
    QString t = lines[i];
    // A backslash at the end continues the value on the next line (long hex data).
    for (;;) {
      t = t.trimmed();
      if (!t.endsWith(u'\\') || t.startsWith(u'[')) break;
      t.chop(1);
      if (i + 1 < lines.size()) t += lines[++i];
    }
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) continue;
    if (t.startsWith(u'[')) {
      const qsizetype close = t.lastIndexOf(u']');
      if (close < 1) {
        Fail(error, u"a key without its closing bracket"_s, lineNo);
        return std::nullopt;
      }
      QString path = t.mid(1, close - 1);
      if (wine) path = wineRoot + u'\\' + UnescapeWinePath(path);
      if (CanonicalPath(path).isEmpty()) {
        Fail(error, u"a key without a name"_s, lineNo);
        return std::nullopt;
      }
      const QString canonical = CanonicalPath(path);
      current = nullptr;
      for (Key& k : hive.keys_) {
        if (CanonicalPath(k.path) == canonical) current = &k;
      }
      if (!current) {
        hive.keys_.push_back({path.split(u'\\', Qt::SkipEmptyParts).join(u'\\'), {}});
        current = &hive.keys_.back();
      }
      continue;
    }
    if (!current) {
      Fail(error, u"a value outside any key"_s, lineNo);
      return std::nullopt;
    }
    QString name;
    qsizetype at = 0;
    if (t.startsWith(u'@')) {
      at = 1;
    } else {
      auto quoted = ReadQuoted(t, at);
      if (!quoted) {
        Fail(error, u"a value name that is not quoted"_s, lineNo);
        return std::nullopt;
      }
      name = *quoted;
    }
    if (at >= t.size() || t[at] != u'=') {
      Fail(error, u"a value without \"=\""_s, lineNo);
      return std::nullopt;
    }
    auto value = ParseData(t.mid(at + 1).trimmed());
    if (!value) {
      Fail(error, u"value data that can't be read"_s, lineNo);
      return std::nullopt;
    }
    hive.Set(current->path, name, *value);
  }
  return hive;
}

QByteArray RegHive::Serialize() const {
  QString out = kRegedit4 + u"\r\n"_s;
  for (const Key& key : keys_) {
    out += u"\r\n["_s + key.path + u"]\r\n"_s;
    for (const Entry& e : key.values) {
      out += e.name.isEmpty() ? u"@"_s : Quote(e.name);
      out += u'=';
      switch (e.value.type) {
        case RegValue::Type::String:
          out += Quote(e.value.text);
          break;
        case RegValue::Type::Dword:
          out += u"dword:%1"_s.arg(e.value.dword, 8, 16, QChar(u'0'));
          break;
        case RegValue::Type::Other:
          out += e.value.text;
          break;
      }
      out += u"\r\n"_s;
    }
  }
  return out.toUtf8();
}

const RegHive::Key* RegHive::FindKey(const QString& path) const {
  const QString canonical = CanonicalPath(path);
  for (const Key& k : keys_) {
    if (CanonicalPath(k.path) == canonical) return &k;
  }
  return nullptr;
}

const RegValue* RegHive::Value(const QString& path, const QString& name) const {
  const Key* key = FindKey(path);
  if (!key) return nullptr;
  for (const Entry& e : key->values) {
    if (e.name.compare(name, Qt::CaseInsensitive) == 0) return &e.value;
  }
  return nullptr;
}

void RegHive::Set(const QString& path, const QString& name, const RegValue& value) {
  const QString canonical = CanonicalPath(path);
  Key* key = nullptr;
  for (Key& k : keys_) {
    if (CanonicalPath(k.path) == canonical) key = &k;
  }
  if (!key) {
    keys_.push_back({path.split(u'\\', Qt::SkipEmptyParts).join(u'\\'), {}});
    key = &keys_.back();
  }
  for (Entry& e : key->values) {
    if (e.name.compare(name, Qt::CaseInsensitive) == 0) {
      e.value = value;
      return;
    }
  }
  key->values.push_back({name, value});
}
