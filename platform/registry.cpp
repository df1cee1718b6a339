#include "registry.h"

#include "registry_p.h"
#include "serviceslot.h"
#include "settingsfile.h"
#include "winepaths.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <mutex>

using namespace Qt::Literals::StringLiterals;
using namespace RegistryParts;

namespace {

const QString kCurrentUser = u"HKEY_CURRENT_USER"_s;
const QString kLocalMachine = u"HKEY_LOCAL_MACHINE"_s;

}  // namespace

namespace RegistryParts {

QString RootName(RegRoot root) {
  return root == RegRoot::CurrentUser ? kCurrentUser : kLocalMachine;
}

QString FullPath(RegRoot root, const QString& key) {
  return RootName(root) + u'\\' + key;
}

QString Wow64(const QString& key) {
  QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
  if (!parts.isEmpty() && parts[0].compare(u"SOFTWARE"_s, Qt::CaseInsensitive) == 0) {
    parts.insert(1, u"Wow6432Node"_s);
  }
  return kLocalMachine + u'\\' + parts.join(u'\\');
}

}  // namespace RegistryParts

namespace {

std::optional<QByteArray> ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

class FileRegistry final : public Registry {
 public:
  explicit FileRegistry(const QString& folder) : folder_(folder), user_(folder + u"/HKCU.reg"_s) {}

  bool KeyExists(RegRoot root, const QString& key) override {
    if (root == RegRoot::CurrentUser) return user_.HasKey(FullPath(root, key));
    const auto machine = Machine();
    if (!machine.view) return false;
    return machine.view->HasKey(FullPath(root, key)) || machine.view->HasKey(Wow64(key));
  }

  std::optional<RegValue> Read(RegRoot root, const QString& key, const QString& name) override {
    if (root == RegRoot::CurrentUser) {
      const RegValue* value = user_.Value(FullPath(root, key), name);
      return value ? std::optional<RegValue>(*value) : std::nullopt;
    }
    RegOrigin origin;
    auto value = ReadMachine(key, name, &origin);
    if (value && value->type == RegValue::Type::String) value->text = MapWindowsPath(value->text);
    return value;
  }

  bool Write(RegRoot root, const QString& key, const QString& name,
             const RegValue& value) override {
    if (root != RegRoot::CurrentUser) return false;  // the machine's keys are only read here
    return user_.Set(FullPath(root, key), name, value);
  }

  std::optional<RegOrigin> Origin(RegRoot root, const QString& key, const QString& name) override {
    if (root == RegRoot::CurrentUser) {
      if (!user_.Value(FullPath(root, key), name)) return std::nullopt;
      return RegOrigin{user_.Path(), {}, FullPath(root, key), {}};
    }
    RegOrigin origin;
    if (!ReadMachine(key, name, &origin)) return std::nullopt;
    return origin;
  }

 private:
  struct MachineFile {
    QString path;
    QString winePrefix;  // empty for HKLM.reg
    std::shared_ptr<const RegFileView> view;
  };

  // A 32-bit program in a 64-bit prefix sees its keys under Wow6432Node first, as the game and
  // its installer do; elsewhere the plain key comes first. Either view stands in for the other.
  std::optional<RegValue> ReadMachine(const QString& key, const QString& name, RegOrigin* origin) {
    const MachineFile machine = Machine();
    if (!machine.view) return std::nullopt;
    QStringList views{FullPath(RegRoot::LocalMachine, key), Wow64(key)};
    if (machine.view->Arch() == u"win64"_s) std::swap(views[0], views[1]);
    for (const QString& path : views) {
      auto value = machine.view->Value(path, name);
      if (!value) continue;
      *origin = {machine.path, machine.winePrefix, path,
                 value->type == RegValue::Type::String ? value->text : QString()};
      return value;
    }
    return std::nullopt;
  }

  // HKLM.reg in the settings folder stands in for the machine's registry; else the Wine
  // prefix's. Someone else's file: never moved, never reported; unreadable means empty.
  MachineFile Machine() const {
    const QString file = MachineRegistryFile(folder_);
    const QString prefix = WinePrefix();
    const bool wine = file == prefix + u"/system.reg"_s;
    return {file, wine ? prefix : QString(), ReadOnlyRegistryFile(file, kLocalMachine)};
  }

  QString folder_;
  SettingsFile user_;
};

// The accessor is made on first use, so that a test that installs its own first never opens the
// user's registry.
ServiceSlot<Registry>& Shared() {
  static ServiceSlot<Registry> slot(&MakeOwnRegistry);
  return slot;
}

}  // namespace

QString MachineRegistryFile(const QString& folder) {
  const QString own = folder + u"/HKLM.reg"_s;
  return QFileInfo::exists(own) ? own : WinePrefix() + u"/system.reg"_s;
}

std::optional<RegOrigin> Registry::Origin(RegRoot, const QString&, const QString&) {
  return std::nullopt;
}

std::shared_ptr<const RegFileView> ReadOnlyRegistryFile(const QString& path,
                                                        const QString& wineRoot) {
  struct Cached {
    FileStamp stamp;
    std::shared_ptr<const RegFileView> view;
  };
  static std::mutex lock;
  static QHash<QString, Cached> cache;
  const FileStamp stamp = FileStamp::Of(path);
  if (!stamp.exists || !stamp.regular) return nullptr;
  const std::lock_guard<std::mutex> hold(lock);
  Cached& entry = cache[wineRoot + u'|' + path];
  if (entry.stamp == stamp) return entry.view;
  entry.stamp = stamp;
  entry.view.reset();
  if (auto bytes = ReadFile(path)) {
    if (auto view = RegFileView::Index(std::move(*bytes), wineRoot)) {
      entry.view = std::make_shared<const RegFileView>(std::move(*view));
    }
  }
  return entry.view;
}

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
  return Shared().Get();
}

void SetRegAccessor(std::unique_ptr<Registry> accessor) {
  Shared().ReplaceOwn(std::move(accessor));
}
