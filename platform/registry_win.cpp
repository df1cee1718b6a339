#include "registry_p.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <vector>

#include <windows.h>

using namespace RegistryParts;

namespace RegistryParts {

FileStamp FileStamp::Of(const QString& path) {
  FileStamp stamp;
  const QFileInfo info(path);
  stamp.exists = info.exists();
  stamp.regular = info.isFile();
  stamp.size = info.size();
  stamp.modified = info.lastModified().toMSecsSinceEpoch();
  return stamp;
}

// A folder cannot be locked here: a mutex named after the folder stands in for its lock, shared
// by every program of the session that asks for it.
FolderLock::FolderLock(const QString& folder) {
  const QByteArray id = QCryptographicHash::hash(
      QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toLower().toUtf8(),
      QCryptographicHash::Sha1);
  const QString name =
      QStringLiteral("Local\\Saltmarch98 settings ") + QString::fromLatin1(id.toHex());
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.utf16()));
  if (!mutex) {
    error_ = int(GetLastError());
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  outcome_ = LockWithin([this, mutex] {
    switch (WaitForSingleObject(mutex, 0)) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:  // its holder ended without letting go
        return LockOutcome::Locked;
      case WAIT_TIMEOUT:
        return LockOutcome::Busy;
      default:
        error_ = int(GetLastError());
        return LockOutcome::Failed;
    }
  });
}

FolderLock::~FolderLock() {
  if (handle_ == -1) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  if (outcome_ == LockOutcome::Locked) ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace RegistryParts

namespace {

const wchar_t* Wide(const QString& text) {
  return reinterpret_cast<const wchar_t*>(text.utf16());
}

// The system's registry. The game is a 32-bit program: its keys below HKEY_LOCAL_MACHINE are read
// in the 32-bit view, where it wrote them. The machine's keys are only read, as elsewhere.
class WindowsRegistry final : public Registry {
 public:
  explicit WindowsRegistry(const QString& sandbox) : sandbox_(sandbox) {}

  bool KeyExists(RegRoot root, const QString& key) override {
    const Key h(Open(root, key));
    return h.handle != nullptr;
  }

  std::optional<RegValue> Read(RegRoot root, const QString& key, const QString& name) override {
    const Key h(Open(root, key));
    if (!h.handle) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h.handle, Wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // Room for a terminator the stored string may lack.
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    if (RegQueryValueExW(h.handle, Wide(name), nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type == REG_SZ) {
      return RegValue::String(QString::fromWCharArray(reinterpret_cast<wchar_t*>(data.data())));
    }
    if (type == REG_DWORD && size == 4) {
      DWORD v = 0;
      std::memcpy(&v, data.data(), 4);
      return RegValue::Dword(v);
    }
    return RegValue{RegValue::Type::Other, QString(), 0};
  }

  bool Write(RegRoot root, const QString& key, const QString& name,
             const RegValue& value) override {
    if (root != RegRoot::CurrentUser) return false;  // the machine's keys are only read
    Key h;
    if (RegCreateKeyExW(Base(root), Wide(SubKey(root, key)), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &h.handle, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    LONG status = ERROR_INVALID_PARAMETER;
    if (value.type == RegValue::Type::String) {
      status = RegSetValueExW(h.handle, Wide(name), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.text.utf16()),
                              DWORD((value.text.size() + 1) * sizeof(wchar_t)));
    } else if (value.type == RegValue::Type::Dword) {
      const DWORD v = value.dword;
      status = RegSetValueExW(h.handle, Wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                              sizeof v);
    }
    return status == ERROR_SUCCESS;
  }

  std::optional<RegOrigin> Origin(RegRoot root, const QString& key, const QString& name) override {
    const auto value = Read(root, key, name);
    if (!value) return std::nullopt;
    return RegOrigin{{},
                     {},
                     root == RegRoot::LocalMachine ? Wow64(key) : FullPath(root, key),
                     value->type == RegValue::Type::String ? value->text : QString()};
  }

 private:
  struct Key {
    HKEY handle = nullptr;
    explicit Key(HKEY h = nullptr) : handle(h) {}
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
      if (handle) RegCloseKey(handle);
    }
  };

  // With a sandbox, a key below HKEY_CURRENT_USER stands in for each root.
  HKEY Base(RegRoot root) const {
    if (!sandbox_.isEmpty()) return HKEY_CURRENT_USER;
    return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  }
  // Keys are written with a leading backslash, which makes them absolute below the root.
  QString SubKey(RegRoot root, const QString& key) const {
    const QString plain = key.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
    return sandbox_.isEmpty() ? plain : sandbox_ + u'\\' + RootName(root) + u'\\' + plain;
  }
  // The open key, or null.
  HKEY Open(RegRoot root, const QString& key) const {
    const REGSAM view = root == RegRoot::LocalMachine ? KEY_WOW64_32KEY : 0;
    HKEY h = nullptr;
    if (RegOpenKeyExW(Base(root), Wide(SubKey(root, key)), 0, KEY_READ | view, &h) !=
        ERROR_SUCCESS) {
      return nullptr;
    }
    return h;
  }

  QString sandbox_;
};

}  // namespace

std::unique_ptr<Registry> MakeSystemRegistry(const QString& sandbox) {
  return std::make_unique<WindowsRegistry>(sandbox);
}

std::unique_ptr<Registry> RegistryParts::MakeOwnRegistry() {
  return MakeSystemRegistry();
}
