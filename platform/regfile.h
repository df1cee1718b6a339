#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// A registry hive kept as text: the REGEDIT4 format that the editor writes off Windows
// ("Name"="text", "Name"=dword:0000002a), and Wine's own registry files, which are read to find
// a game installed under Wine. Key and value names compare without regard to case, as in the
// Windows registry. Values of other types are carried through unchanged.
//
// Each line is read as UTF-8 when it is valid UTF-8, else as Windows-1252 (the ANSI code page
// that REGEDIT4 files were written in), so one stray byte changes the reading of its own line
// only.

struct RegValue {
  enum class Type { String, Dword, Other };
  Type type = Type::String;
  QString text;             // String: the value itself; Other: the data as written in the file
  std::uint32_t dword = 0;  // Dword

  static RegValue String(const QString& s) { return {Type::String, s, 0}; }
  static RegValue Dword(std::uint32_t v) { return {Type::Dword, QString(), v}; }
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The whole hive in memory, for the editor's own settings file, which it reads and writes.
class RegHive {
 public:
  struct Entry {
    QString name;  // empty for the key's default value
    RegValue value;
    // The line(s) as read from a REGEDIT file: written back as they were while the value stays
    // the same, so a value nobody changed keeps its bytes.
    QByteArray raw;
    QString folded;  // the name in lower case, as names compare
    friend bool operator==(const Entry& a, const Entry& b) {
      return a.name == b.name && a.value == b.value;
    }
  };
  struct Key {
    QString path;  // "HKEY_CURRENT_USER\SOFTWARE\Pellworth Software\Saltmarch98"
    std::vector<Entry> values;
    QByteArray rawHeader;  // the "[...]" line as read, see Entry::raw
    // Folded value name -> its place in `values`, once a key has too many values to search.
    QHash<QString, std::size_t> byName;
    std::size_t Find(const QString& folded) const;
    friend bool operator==(const Key& a, const Key& b) {
      return a.path == b.path && a.values == b.values;
    }
  };

  // Parses a REGEDIT4 / "Windows Registry Editor Version 5.00" file, or a Wine registry file,
  // whose key paths are relative to `wineRoot` ("HKEY_LOCAL_MACHINE"). Gives nothing, and a
  // description of the first problem in `error`, when the text is not such a file.
  static std::optional<RegHive> Parse(const QByteArray& text, const QString& wineRoot,
                                      QString* error = nullptr);
  // The hive as a REGEDIT4 file.
  QByteArray Serialize() const;

  bool HasKey(const QString& path) const { return FindKey(CanonicalPath(path)) != nullptr; }
  const RegValue* Value(const QString& path, const QString& name) const;
  void Set(const QString& path, const QString& name, const RegValue& value);
  const std::vector<Key>& Keys() const { return keys_; }

  friend bool operator==(const RegHive& a, const RegHive& b) { return a.keys_ == b.keys_; }

  // "\SOFTWARE\X\" and "software\x" name the same key: separators at the ends and doubled ones
  // do not count, letter case does not count.
  static QString CanonicalPath(const QString& path);

 private:
  const Key* FindKey(const QString& canonical) const;
  Key& KeyFor(const QString& path, const QString& canonical);
  static void Put(Key& key, const QString& name, const RegValue& value, const QByteArray& raw);

  std::vector<Key> keys_;
  QHash<QString, std::size_t> index_;  // canonical path -> its place in keys_
};

// A registry file that is only read and may be large (a Wine prefix's system.reg holds tens of
// thousands of keys). One pass notes where each key starts; a key's values are decoded only when
// they are asked for. It holds the file's bytes and 16 bytes per key.
class RegFileView {
 public:
  // Gives nothing, and the reason in `error`, when the bytes are not a registry file. Lines that
  // can't be read are passed over: the file is someone else's, and one bad line must not hide
  // the keys around it.
  static std::optional<RegFileView> Index(QByteArray bytes, const QString& wineRoot,
                                          QString* error = nullptr);

  bool HasKey(const QString& path) const { return !Offsets(path).empty(); }
  std::optional<RegValue> Value(const QString& path, const QString& name) const;
  // "win32" or "win64" as a Wine file's "#arch=" line states it; empty when it says nothing.
  const QString& Arch() const { return arch_; }
  std::size_t KeyCount() const { return keys_.size(); }
  std::size_t MemoryBytes() const;

 private:
  std::vector<qsizetype> Offsets(const QString& path) const;

  QByteArray bytes_;  // UTF-8 or 8-bit text
  QString root_;
  bool wine_ = false;
  QString arch_;
  std::vector<std::pair<std::size_t, qsizetype>> keys_;  // hash of canonical path, line offset
};
