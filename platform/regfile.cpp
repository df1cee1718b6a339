#include "regfile.h"

#include "textformat.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray kRegedit4 = "REGEDIT4";
const QByteArray kRegedit5 = "Windows Registry Editor Version 5.00";
const QByteArray kWine = "WINE REGISTRY Version 2";

bool Fail(QString* error, const QString& why, int line) {
  if (error) *error = u"line %1: %2"_s.arg(line).arg(why);
  return false;
}

// ---- text ----

bool IsAscii(QByteArrayView bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString DecodeLine(QByteArrayView line) {
  if (IsAscii(line)) return QString::fromLatin1(line);
  if (line.isValidUtf8()) return QString::fromUtf8(line);
  return FromWindows1252(line);
}

// Version 5 files may be UTF-16; everything else is handled as 8-bit lines.
QByteArray AsEightBit(QByteArray bytes) {
  if (bytes.startsWith("\xFF\xFE")) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2)
        .toUtf8();
  }
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  return bytes;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

QByteArrayView Trimmed(QByteArrayView v) {
  while (!v.isEmpty() && IsSpace(v.front())) v = v.sliced(1);
  while (!v.isEmpty() && IsSpace(v.back())) v.chop(1);
  return v;
}

// One logical line: a value whose line ends in a backslash goes on on the next line (long hex
// data). `text` is trimmed; `raw` holds the physical lines as they stood, without line ends.
struct Line {
  QByteArrayView text;
  QByteArrayView raw;
  qsizetype offset = 0;
  int number = 0;
  bool cutOff = false;  // the file ended where the next line was to go on
  bool joined = false;  // a value over several lines, never a key line

  bool IsKey() const { return !joined && text.startsWith('['); }
};

class LineReader {
 public:
  LineReader(const QByteArray& bytes, qsizetype from) : bytes_(bytes), at_(from) {}

  bool Next(Line& line) {
    if (at_ >= bytes_.size()) return false;
    line.offset = at_;
    line.number = ++number_;
    line.cutOff = false;
    QByteArrayView physical = NextPhysical();
    QByteArrayView text = Trimmed(physical);
    line.joined = Continues(text);
    if (!line.joined) {
      line.text = text;
      line.raw = physical;
      return true;
    }
    text_.resize(0);  // keeps the room of earlier lines
    raw_.resize(0);
    raw_ += physical;
    for (;;) {
      text.chop(1);
      text_ += text;
      if (at_ >= bytes_.size()) {
        line.cutOff = true;
        break;
      }
      ++number_;
      physical = NextPhysical();
      raw_ += "\r\n";
      raw_ += physical;
      text = Trimmed(physical);
      if (!text.endsWith('\\')) {
        text_ += text;
        break;
      }
    }
    line.text = text_;
    line.raw = raw_;
    return true;
  }

  qsizetype Position() const { return at_; }

  // A value whose line ends in a backslash goes on on the next line.
  static bool Continues(QByteArrayView text) {
    return text.endsWith('\\') && !text.startsWith('[') && !text.startsWith(';') &&
           !text.startsWith('#');
  }

 private:
  QByteArrayView NextPhysical() {
    const char* begin = bytes_.constData() + at_;
    const auto* nl =
        static_cast<const char*>(std::memchr(begin, '\n', std::size_t(bytes_.size() - at_)));
    const qsizetype length = nl ? nl - begin : bytes_.size() - at_;
    at_ += length + 1;
    QByteArrayView physical(begin, length);
    if (physical.endsWith('\r')) physical.chop(1);
    return physical;
  }

  const QByteArray& bytes_;
  qsizetype at_;
  int number_ = 0;
  QByteArray text_, raw_;
};

// About how many keys the file holds: the lines that start with a bracket.
std::size_t KeyLines(const QByteArray& bytes) {
  std::size_t count = 0;
  const char* const begin = bytes.constData();
  const char* const end = begin + bytes.size();
  for (const char* at = begin; at < end; ++at) {
    at = static_cast<const char*>(std::memchr(at, '[', std::size_t(end - at)));
    if (!at) break;
    if (at == begin || at[-1] == '\n') ++count;
  }
  return count;
}

// Reads up to the first non-empty line, which tells the file's kind.
bool ReadHeader(LineReader& reader, bool* wine, QString* error) {
  Line line;
  while (reader.Next(line)) {
    if (line.text.isEmpty()) continue;
    *wine = line.text == kWine;
    if (!*wine && line.text != kRegedit4 && line.text != kRegedit5) {
      return Fail(error, u"not a registry file"_s, line.number);
    }
    return true;
  }
  return Fail(error, u"the file is empty"_s, 1);
}

// ---- escapes ----

// Wine writes control characters as \a \b \t \n \v \f \r \e, and \0; "none" for other letters.
QChar ControlEscape(QChar e) {
  static constexpr std::pair<char16_t, char16_t> kEscapes[] = {
      {u'n', u'\n'}, {u'r', u'\r'}, {u't', u'\t'}, {u'0', 0}, {u'a', 7},
      {u'b', 8},     {u'v', 11},    {u'f', 12},    {u'e', 27}};
  for (const auto& [letter, control] : kEscapes) {
    if (e == letter) return QChar(control);
  }
  return QChar(0xFFFF);
}

bool IsHexDigit(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Wine's \xHHHH (up to four digits) at `at`, which stands on the x. Leaves `at` on the last digit.
std::optional<QChar> ReadHexEscape(QStringView text, qsizetype& at) {
  qsizetype end = at + 1;
  while (end < text.size() && end < at + 5 && IsHexDigit(text[end])) ++end;
  bool ok = false;
  const uint code = text.sliced(at + 1, end - at - 1).toUInt(&ok, 16);
  if (!ok) return std::nullopt;
  at = end - 1;
  return QChar(char16_t(code));
}

// \xHHHH escapes are UTF-16 units: a pair stays, a lone half of one can't be written back as
// text and becomes the replacement character.
QString& MendSurrogates(QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (!c.isSurrogate()) continue;
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      ++i;
    } else {
      text[i] = QChar::ReplacementCharacter;
    }
  }
  return text;
}

// Reads a quoted text starting at `at` (on the opening quote); leaves `at` after the closing
// quote. Understands \\ and \" as REGEDIT4 writes them, and \n \r \t \0 \xHHHH as Wine does.
std::optional<QString> ReadQuoted(QStringView line, qsizetype& at) {
  if (at >= line.size() || line[at] != u'"') return std::nullopt;
  // Most texts hold no escape at all: taken whole.
  for (qsizetype end = at + 1; end < line.size() && line[end] != u'\\'; ++end) {
    if (line[end] == u'"') {
      QString whole = line.sliced(at + 1, end - at - 1).toString();
      at = end + 1;
      return MendSurrogates(whole);
    }
  }
  QString out;
  out.reserve(line.size() - at);
  for (++at; at < line.size(); ++at) {
    const QChar c = line[at];
    if (c == u'"') {
      ++at;
      return MendSurrogates(out);
    }
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (++at >= line.size()) return std::nullopt;
    const QChar e = line[at];
    if (const QChar control = ControlEscape(e); control != QChar(0xFFFF)) {
      out += control;
    } else if (e == u'x') {
      const auto code = ReadHexEscape(line, at);
      if (!code) return std::nullopt;
      out += *code;
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

// Wine writes key paths with doubled backslashes, and \xHHHH for characters outside ASCII. An
// escape that would give a control character or a separator stays as written, so a key path
// always fits on one line and keeps its parts.
QString UnescapeWinePath(QStringView path) {
  QString out;
  out.reserve(path.size());
  for (qsizetype i = 0; i < path.size(); ++i) {
    if (path[i] != u'\\' || i + 1 >= path.size()) {
      out += path[i];
      continue;
    }
    const QChar e = path[i + 1];
    if (e == u'x') {
      qsizetype at = i + 1;
      const auto code = ReadHexEscape(path, at);
      if (code && *code >= u' ' && *code != u'\\') {
        out += *code;
        i = at;
        continue;
      }
    } else if (ControlEscape(e) == QChar(0xFFFF)) {
      out += e;  // \\ \[ \] \"
      ++i;
      continue;
    }
    out += path[i];
  }
  return MendSurrogates(out);
}

// ---- lines ----

std::optional<RegValue> ParseData(QStringView data) {
  if (data.startsWith(u'"')) {
    qsizetype at = 0;
    auto text = ReadQuoted(data, at);
    if (!text || !data.sliced(at).trimmed().isEmpty()) return std::nullopt;
    return RegValue::String(*text);
  }
  if (data.startsWith(u"dword:"_s, Qt::CaseInsensitive)) {
    const QStringView digits = data.sliced(6).trimmed();
    bool ok = false;
    const uint v = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8) return std::nullopt;
    return RegValue::Dword(v);
  }
  // Other data is kept as written; a backslash at its end would join the next line.
  if (data.endsWith(u'\\')) return std::nullopt;
  if (data.startsWith(u"hex"_s, Qt::CaseInsensitive) || data.startsWith(u"str("_s) ||
      data.startsWith(u"-"_s)) {
    return RegValue{RegValue::Type::Other, data.toString(), 0};
  }
  return std::nullopt;
}

struct NamedValue {
  QString name;
  RegValue value;
};

// A value line: "Name"=data or @=data. Gives nothing and the reason in `why` otherwise.
std::optional<NamedValue> ParseValueLine(QStringView t, QString* why) {
  NamedValue out;
  qsizetype at = 0;
  if (t.startsWith(u'@')) {
    at = 1;
  } else {
    auto quoted = ReadQuoted(t, at);
    if (!quoted) {
      *why = u"a value name that is not quoted"_s;
      return std::nullopt;
    }
    out.name = *quoted;
  }
  if (at >= t.size() || t[at] != u'=') {
    *why = u"a value without \"=\""_s;
    return std::nullopt;
  }
  auto value = ParseData(t.sliced(at + 1).trimmed());
  if (!value) {
    *why = u"value data that can't be read"_s;
    return std::nullopt;
  }
  out.value = std::move(*value);
  return out;
}

bool IsSkipped(QByteArrayView t) {
  return t.isEmpty() || t.startsWith(';') || t.startsWith('#');
}

// The key path of a "[...]" line, with the root in front for Wine's files; empty when the line
// names no key.
QString HeaderPath(QByteArrayView t, bool wine, const QString& wineRoot) {
  const qsizetype close = t.lastIndexOf(']');
  if (close < 1) return {};
  const QByteArrayView raw = t.sliced(1, close - 1);
  const QString inner = DecodeLine(raw);
  if (!wine) return inner;
  // Doubled backslashes alone need no unescaping: separators are tidied anyway.
  bool escapes = false;
  for (qsizetype i = 0; i + 1 < raw.size() && !escapes; ++i) {
    if (raw[i] == '\\') escapes = raw[++i] != '\\';
  }
  return wineRoot + u'\\' + (escapes || raw.endsWith('\\') ? UnescapeWinePath(inner) : inner);
}

// The path without separators at its ends and without doubled ones.
QString TidyPath(const QString& path) {
  QString out(path.size(), Qt::Uninitialized);
  char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
  char16_t* to = begin;
  bool separator = false;
  for (const QChar c : path) {
    if (c == u'\\') {
      separator = to != begin;
      continue;
    }
    if (separator) *to++ = u'\\';
    separator = false;
    *to++ = c.unicode();
  }
  out.truncate(to - begin);
  return out;
}

// Key paths are found by a hash of their canonical form in UTF-8 (FNV-1a: cheap to take one
// character at a time while the form is made).
class PathHash {
 public:
  void Add(char c) {
    hash_ ^= static_cast<unsigned char>(c);
    hash_ *= 1099511628211ull;
  }
  std::size_t Value() const { return std::size_t(hash_); }

 private:
  std::uint64_t hash_ = 1469598103934665603ull;
};

std::size_t HashOf(QByteArrayView canonical) {
  PathHash hash;
  for (const char c : canonical) hash.Add(c);
  return hash.Value();
}

// The hash of a key line's canonical path, made without a detour through QString for the plain
// ASCII lines that make up nearly every registry file; nothing when the line names no key.
std::optional<std::size_t> HeaderHash(QByteArrayView t, bool wine, const QByteArray& rootLower) {
  const qsizetype close = t.lastIndexOf(']');
  if (close < 1) return std::nullopt;
  const auto Fallback = [&]() -> std::optional<std::size_t> {
    const QString canonical =
        RegHive::CanonicalPath(HeaderPath(t, wine, QString::fromUtf8(rootLower)));
    if (canonical.isEmpty()) return std::nullopt;
    return HashOf(canonical.toUtf8());
  };
  const QByteArrayView inner = t.sliced(1, close - 1);
  PathHash hash;
  bool empty = true;
  if (wine) {
    for (const char c : rootLower) hash.Add(c);
    empty = rootLower.isEmpty();
  }
  bool separator = !empty;
  for (qsizetype i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    if (static_cast<unsigned char>(c) >= 0x80) return Fallback();
    if (c == '\\') {
      if (wine) {
        // Only the doubled backslash is a plain separator; other escapes take the long way.
        if (i + 1 >= inner.size() || inner[i + 1] != '\\') return Fallback();
        ++i;
      }
      separator = !empty;
      continue;
    }
    if (separator) hash.Add('\\');
    separator = false;
    empty = false;
    hash.Add((c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c);
  }
  if (empty) return std::nullopt;
  return hash.Value();
}

// Value names compare without regard to case.
QString FoldedName(const QString& name) {
  return name.toLower();
}

}  // namespace

// ---- the whole hive ----

QString RegHive::CanonicalPath(const QString& path) {
  return TidyPath(path).toLower();
}

std::optional<RegHive> RegHive::Parse(const QByteArray& original, const QString& wineRoot,
                                      QString* error) {
  const QByteArray bytes = AsEightBit(original);
  LineReader reader(bytes, 0);
  bool wine = false;
  if (!ReadHeader(reader, &wine, error)) return std::nullopt;

  RegHive hive;
  hive.index_.reserve(qsizetype(KeyLines(bytes)));
  std::optional<std::size_t> current;
  Line line;
  while (reader.Next(line)) {
    const int lineNo = line.number;
    const QByteArrayView t = line.text;
    if (IsSkipped(t)) continue;
    if (line.IsKey()) {
      if (t.lastIndexOf(']') < 1) {
        Fail(error, u"a key without its closing bracket"_s, lineNo);
        return std::nullopt;
      }
      const QString path = HeaderPath(t, wine, wineRoot);
      const QString canonical = CanonicalPath(path);
      if (canonical.isEmpty()) {
        Fail(error, u"a key without a name"_s, lineNo);
        return std::nullopt;
      }
      const bool known = hive.index_.contains(canonical);
      Key& key = hive.KeyFor(path, canonical);
      if (!known && !wine) key.rawHeader = line.raw.toByteArray();
      current = hive.index_.value(canonical);
      continue;
    }
    if (!current) {
      Fail(error, u"a value outside any key"_s, lineNo);
      return std::nullopt;
    }
    if (line.cutOff) {
      Fail(error, u"a value cut off at the end of the file"_s, lineNo);
      return std::nullopt;
    }
    QString why;
    auto named = ParseValueLine(DecodeLine(t), &why);
    if (!named) {
      Fail(error, why, lineNo);
      return std::nullopt;
    }
    Put(hive.keys_[*current], named->name, named->value,
        wine ? QByteArray() : line.raw.toByteArray());
  }
  return hive;
}

QByteArray RegHive::Serialize() const {
  QByteArray out = kRegedit4 + "\r\n";
  for (const Key& key : keys_) {
    out += "\r\n";
    out += key.rawHeader.isEmpty() ? (u'[' + key.path + u']').toUtf8() : key.rawHeader;
    out += "\r\n";
    for (const Entry& e : key.values) {
      if (!e.raw.isEmpty()) {
        out += e.raw + "\r\n";
        continue;
      }
      QString line = e.name.isEmpty() ? u"@"_s : Quote(e.name);
      line += u'=';
      switch (e.value.type) {
        case RegValue::Type::String:
          line += Quote(e.value.text);
          break;
        case RegValue::Type::Dword:
          line += u"dword:%1"_s.arg(e.value.dword, 8, 16, QChar(u'0'));
          break;
        case RegValue::Type::Other:
          line += e.value.text;
          break;
      }
      out += line.toUtf8() + "\r\n";
    }
  }
  return out;
}

const RegHive::Key* RegHive::FindKey(const QString& canonical) const {
  const auto it = index_.constFind(canonical);
  return it == index_.constEnd() ? nullptr : &keys_[*it];
}

RegHive::Key& RegHive::KeyFor(const QString& path, const QString& canonical) {
  const auto it = index_.constFind(canonical);
  if (it != index_.constEnd()) return keys_[*it];
  index_.insert(canonical, keys_.size());
  keys_.push_back({TidyPath(path), {}, {}, {}});
  return keys_.back();
}

// Few keys hold more than a handful of values; those that hold thousands get an index.
constexpr std::size_t kSearchedValues = 16;

std::size_t RegHive::Key::Find(const QString& folded) const {
  if (!byName.isEmpty()) return byName.value(folded, values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i].folded == folded) return i;
  }
  return values.size();
}

void RegHive::Put(Key& key, const QString& name, const RegValue& value, const QByteArray& raw) {
  QString folded = FoldedName(name);
  const std::size_t at = key.Find(folded);
  if (at == key.values.size()) {
    key.values.push_back({name, value, raw, std::move(folded)});
    if (!key.byName.isEmpty()) {
      key.byName.insert(key.values.back().folded, at);
    } else if (key.values.size() > kSearchedValues) {
      for (std::size_t i = 0; i < key.values.size(); ++i)
        key.byName.insert(key.values[i].folded, i);
    }
    return;
  }
  Entry& entry = key.values[at];
  if (entry.value == value && raw.isEmpty()) return;  // the same value keeps its form
  entry.value = value;
  entry.raw = raw;
  if (!raw.isEmpty()) entry.name = name;  // the name as the line that is kept spells it
}

const RegValue* RegHive::Value(const QString& path, const QString& name) const {
  const Key* key = FindKey(CanonicalPath(path));
  if (!key) return nullptr;
  const std::size_t at = key->Find(FoldedName(name));
  return at == key->values.size() ? nullptr : &key->values[at].value;
}

void RegHive::Set(const QString& path, const QString& name, const RegValue& value) {
  Put(KeyFor(path, CanonicalPath(path)), name, value, {});
}

// ---- the indexed, read-only file ----

std::optional<RegFileView> RegFileView::Index(QByteArray original, const QString& wineRoot,
                                              QString* error) {
  RegFileView view;
  view.bytes_ = AsEightBit(std::move(original));
  view.bytes_.squeeze();
  view.root_ = wineRoot;
  LineReader reader(view.bytes_, 0);
  if (!ReadHeader(reader, &view.wine_, error)) return std::nullopt;
  view.keys_.reserve(KeyLines(view.bytes_));
  // Only key lines matter here, so lines are not joined: a continued value only has to be
  // told from a key line that could follow it.
  const QByteArray rootLower = wineRoot.toUtf8().toLower();
  const char* const data = view.bytes_.constData();
  const char* const end = data + view.bytes_.size();
  bool continues = false;
  for (const char* at = data + reader.Position(); at < end;) {
    const auto* nl = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)));
    const char* const lineEnd = nl ? nl : end;
    const QByteArrayView text = Trimmed(QByteArrayView(at, lineEnd));
    if (continues) {
      continues = text.endsWith('\\');
    } else if (text.startsWith('[')) {
      if (const auto hash = HeaderHash(text, view.wine_, rootLower)) {
        view.keys_.emplace_back(*hash, at - data);
      }
    } else if (text.startsWith("#arch=")) {
      view.arch_ = QString::fromLatin1(text.sliced(6));
    } else {
      continues = LineReader::Continues(text);
    }
    at = lineEnd + 1;
  }
  // Sorted by hash, and by place in the file for keys written twice: the later value wins.
  std::sort(view.keys_.begin(), view.keys_.end());
  view.keys_.shrink_to_fit();
  return view;
}

std::vector<qsizetype> RegFileView::Offsets(const QString& path) const {
  const QString canonical = RegHive::CanonicalPath(path);
  const QByteArray wanted = canonical.toUtf8();
  const std::size_t hash = HashOf(wanted);
  auto it =
      std::lower_bound(keys_.begin(), keys_.end(), std::pair<std::size_t, qsizetype>(hash, 0));
  std::vector<qsizetype> offsets;
  for (; it != keys_.end() && it->first == hash; ++it) {
    LineReader reader(bytes_, it->second);
    Line line;
    // Another key of the same hash is told apart by its path.
    if (reader.Next(line) &&
        RegHive::CanonicalPath(HeaderPath(line.text, wine_, root_)) == canonical) {
      offsets.push_back(it->second);
    }
  }
  return offsets;
}

std::optional<RegValue> RegFileView::Value(const QString& path, const QString& name) const {
  const QString folded = FoldedName(name);
  std::optional<RegValue> found;
  for (const qsizetype offset : Offsets(path)) {
    LineReader reader(bytes_, offset);
    Line line;
    reader.Next(line);  // the key's own line
    while (reader.Next(line) && !line.IsKey()) {
      if (IsSkipped(line.text)) continue;
      QString why;
      auto named = ParseValueLine(DecodeLine(line.text), &why);
      if (named && FoldedName(named->name) == folded) found = named->value;
    }
  }
  return found;
}

std::size_t RegFileView::MemoryBytes() const {
  return sizeof(*this) + std::size_t(bytes_.capacity()) + keys_.capacity() * sizeof(keys_[0]);
}
