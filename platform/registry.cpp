#include "registry.h"

#include "atomicfile.h"
#include "dialogs.h"
#include "winepaths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCurrentUser = u"HKEY_CURRENT_USER"_s;
const QString kLocalMachine = u"HKEY_LOCAL_MACHINE"_s;

QString RootName(RegRoot root) {
  return root == RegRoot::CurrentUser ? kCurrentUser : kLocalMachine;
}

QString FullPath(RegRoot root, const QString& key) {
  return RootName(root) + u'\\' + key;
}

QByteArray ReadFile(const QString& path, bool* exists) {
  QFile file(path);
  *exists = file.exists();
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FileRegistry final : public Registry {
 public:
  explicit FileRegistry(const QString& folder) : folder_(folder) {}

  bool KeyExists(RegRoot root, const QString& key) override {
    return Hive(root).HasKey(FullPath(root, key)) ||
           (root == RegRoot::LocalMachine && Hive(root).HasKey(Wow64(key)));
  }

  std::optional<RegValue> Read(RegRoot root, const QString& key, const QString& name) override {
    const RegHive& hive = Hive(root);
    const RegValue* value = hive.Value(FullPath(root, key), name);
    // 32-bit programs installed into a 64-bit Wine prefix keep their keys under Wow6432Node.
    if (!value && root == RegRoot::LocalMachine) value = hive.Value(Wow64(key), name);
    if (!value) return std::nullopt;
    RegValue result = *value;
    if (root == RegRoot::LocalMachine && result.type == RegValue::Type::String) {
      result.text = MapWindowsPath(result.text);
    }
    return result;
  }

  bool Write(RegRoot root, const QString& key, const QString& name,
             const RegValue& value) override {
    if (root != RegRoot::CurrentUser) return false;  // the machine's keys are only read here
    RegHive changed = Hive(root);
    changed.Set(FullPath(root, key), name, value);
    if (!QDir().mkpath(folder_)) return false;
    if (!WriteFileAtomically(UserFile(), changed.Serialize())) return false;
    user_ = std::move(changed);
    return true;
  }

 private:
  QString UserFile() const { return folder_ + u"/HKCU.reg"_s; }

  static QString Wow64(const QString& key) {
    QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts[0].compare(u"SOFTWARE"_s, Qt::CaseInsensitive) == 0) {
      parts.insert(1, u"Wow6432Node"_s);
    }
    return kLocalMachine + u'\\' + parts.join(u'\\');
  }

  const RegHive& Hive(RegRoot root) {
    if (root == RegRoot::CurrentUser) {
      if (!user_) user_ = LoadUser();
      return *user_;
    }
    if (!machine_) machine_ = LoadMachine();
    return *machine_;
  }

  RegHive LoadUser() {
    bool exists = false;
    const QByteArray bytes = ReadFile(UserFile(), &exists);
    if (!exists) return {};
    QString why;
    if (auto hive = RegHive::Parse(bytes, kCurrentUser, &why)) return *hive;
    // Keep the damaged file for the user to look at, and start afresh.
    QString aside = UserFile() + u".damaged"_s;
    for (int n = 2; QFile::exists(aside); ++n) aside = UserFile() + u".damaged-%1"_s.arg(n);
    const bool moved = QFile::rename(UserFile(), aside);
    MessageDlg(
        MsgKind::Warning,
        u"The settings file \"%1\" is damaged (%2).\r%3Saltmarch 98 starts with its "
        "default settings."_s.arg(UserFile(), why,
                                  moved ? u"It has been kept as \"%1\". "_s.arg(aside) : QString()),
        mbOK);
    return {};
  }

  RegHive LoadMachine() {
    bool exists = false;
    QByteArray bytes = ReadFile(folder_ + u"/HKLM.reg"_s, &exists);
    if (!exists) bytes = ReadFile(WinePrefix() + u"/system.reg"_s, &exists);
    if (!exists) return {};
    // Someone else's file: never moved, never reported; unreadable means empty.
    return RegHive::Parse(bytes, kLocalMachine).value_or(RegHive());
  }

  QString folder_;
  std::optional<RegHive> user_;
  std::optional<RegHive> machine_;
};

#ifdef _WIN32

class WindowsRegistry final : public Registry {
 public:
  bool KeyExists(RegRoot root, const QString& key) override {
    HKEY h = nullptr;
    if (RegOpenKeyExW(Root(root), Path(key), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }

  std::optional<RegValue> Read(RegRoot root, const QString& key, const QString& name) override {
    HKEY h = nullptr;
    if (RegOpenKeyExW(Root(root), Path(key), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    const auto* valueName = reinterpret_cast<const wchar_t*>(name.utf16());
    std::optional<RegValue> result;
    if (RegQueryValueExW(h, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::vector<BYTE> data(size + 2, 0);
      if (RegQueryValueExW(h, valueName, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
        if (type == REG_SZ) {
          result =
              RegValue::String(QString::fromWCharArray(reinterpret_cast<wchar_t*>(data.data())));
        } else if (type == REG_DWORD && size == 4) {
          result = RegValue::Dword(*reinterpret_cast<DWORD*>(data.data()));
        } else {
          result = RegValue{RegValue::Type::Other, QString(), 0};
        }
      }
    }
    RegCloseKey(h);
    return result;
  }

  bool Write(RegRoot root, const QString& key, const QString& name,
             const RegValue& value) override {
    HKEY h = nullptr;
    if (RegCreateKeyExW(Root(root), Path(key), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    LONG status = ERROR_INVALID_PARAMETER;
    const auto* valueName = reinterpret_cast<const wchar_t*>(name.utf16());
    if (value.type == RegValue::Type::String) {
      status =
          RegSetValueExW(h, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.utf16()),
                         DWORD((value.text.size() + 1) * sizeof(wchar_t)));
    } else if (value.type == RegValue::Type::Dword) {
      const DWORD v = value.dword;
      status = RegSetValueExW(h, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    }
    RegCloseKey(h);
    return status == ERROR_SUCCESS;
  }

 private:
  static HKEY Root(RegRoot root) {
    return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  }
  // Keys are written with a leading backslash, which makes them absolute below the root.
  const wchar_t* Path(const QString& key) {
    path_ = key.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
    return reinterpret_cast<const wchar_t*>(path_.utf16());
  }
  QString path_;
};

#endif

std::unique_ptr<Registry>& Shared() {
  static std::unique_ptr<Registry> accessor;
  return accessor;
}

}  // namespace

QString RegistryFolder() {
  const QString dir = qEnvironmentVariable("SALTMARCH_REGISTRY_DIR");
  if (!dir.isEmpty()) return dir;
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         u"/Saltmarch98"_s;
}

std::unique_ptr<Registry> MakeFileRegistry(const QString& folder) {
  return std::make_unique<FileRegistry>(folder);
}

Registry& RegAccessor() {
  auto& accessor = Shared();
  if (!accessor) {
#ifdef _WIN32
    accessor = std::make_unique<WindowsRegistry>();
#else
    accessor = MakeFileRegistry(RegistryFolder());
#endif
  }
  return *accessor;
}

void SetRegAccessor(std::unique_ptr<Registry> accessor) {
  Shared() = std::move(accessor);
}
