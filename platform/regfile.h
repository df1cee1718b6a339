#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// A registry hive kept as text: the REGEDIT4 format that the editor writes off Windows
// ("Name"="text", "Name"=dword:0000002a), and Wine's own registry files, which are read to find
// a game installed under Wine. Key and value names compare without regard to case, as in the
// Windows registry. Values of other types are carried through unchanged.

struct RegValue {
  enum class Type { String, Dword, Other };
  Type type = Type::String;
  QString text;             // String: the value itself; Other: the data as written in the file
  std::uint32_t dword = 0;  // Dword

  static RegValue String(const QString& s) { return {Type::String, s, 0}; }
  static RegValue Dword(std::uint32_t v) { return {Type::Dword, QString(), v}; }
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegHive {
 public:
  struct Entry {
    QString name;  // empty for the key's default value
    RegValue value;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  struct Key {
    QString path;  // "HKEY_CURRENT_USER\SOFTWARE\Pellworth Software\Saltmarch98"
    std::vector<Entry> values;
    friend bool operator==(const Key&, const Key&) = default;
  };

  // Parses a REGEDIT4 / "Windows Registry Editor Version 5.00" file, or a Wine registry file,
  // whose key paths are relative to `wineRoot` ("HKEY_LOCAL_MACHINE"). Gives nothing, and a
  // description of the first problem in `error`, when the text is not such a file.
  static std::optional<RegHive> Parse(const QByteArray& text, const QString& wineRoot,
                                      QString* error = nullptr);
  // The hive as a REGEDIT4 file.
  QByteArray Serialize() const;

  bool HasKey(const QString& path) const { return FindKey(path) != nullptr; }
  const RegValue* Value(const QString& path, const QString& name) const;
  void Set(const QString& path, const QString& name, const RegValue& value);

  friend bool operator==(const RegHive&, const RegHive&) = default;

  // "\SOFTWARE\X\" and "software\x" name the same key: separators at the ends and doubled ones
  // do not count, letter case does not count.
  static QString CanonicalPath(const QString& path);

 private:
  const Key* FindKey(const QString& path) const;
  std::vector<Key> keys_;
};
