#pragma once

#include "regfile.h"

#include <QString>

#include <memory>
#include <optional>

enum class RegRoot { CurrentUser, LocalMachine };

// Where a value was found, for telling the user (`smarch-units locate`).
struct RegOrigin {
  QString file;        // the registry file it was read from; empty for the system's registry
  QString winePrefix;  // the Wine prefix that file belongs to, when it does
  QString key;         // the key that held it (with Wow6432Node for a 32-bit program's view)
  QString stored;      // the value as stored, before a drive letter path was mapped
};

// The one registry accessor the program shares. On Windows it is the system registry; elsewhere
// the current user's keys live in HKCU.reg (REGEDIT4 text) in the settings folder, and the
// machine's keys are read, never written, from HKLM.reg in that folder or else from the Wine
// prefix's system.reg.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool KeyExists(RegRoot root, const QString& key) = 0;
  // The value, or nothing when the key or the value is missing.
  virtual std::optional<RegValue> Read(RegRoot root, const QString& key, const QString& name) = 0;
  // Creates the key when missing. False when it can't be written; the settings file then keeps
  // the value in memory (see settingsfile.h).
  virtual bool Write(RegRoot root, const QString& key, const QString& name,
                     const RegValue& value) = 0;
  // Where Read finds the value; nothing when it finds none.
  virtual std::optional<RegOrigin> Origin(RegRoot root, const QString& key, const QString& name);
};

// The shared accessor; made on first use when the program has not installed one.
Registry& RegAccessor();
// Installs an accessor (tests: a fresh one on a folder of their own); null frees it.
void SetRegAccessor(std::unique_ptr<Registry> accessor);

// The folder of HKCU.reg off Windows: $SALTMARCH_REGISTRY_DIR, else the per-user config folder.
QString RegistryFolder();

// The registry kept in text files in `folder` (the portable backend, also used by tests).
std::unique_ptr<Registry> MakeFileRegistry(const QString& folder);

#ifdef _WIN32
// The system's registry. With a `sandbox` (tests), the key HKEY_CURRENT_USER\<sandbox>\<root
// name> stands in for each root, so that nothing real is read or written.
std::unique_ptr<Registry> MakeSystemRegistry(const QString& sandbox = {});
#endif

// The file that stands in for the machine's registry: HKLM.reg in `folder` when it exists, else
// the Wine prefix's system.reg.
QString MachineRegistryFile(const QString& folder);

// A registry file that is only read (HKLM.reg, a Wine prefix's system.reg or user.reg), with key
// paths of Wine's files below `wineRoot`. Indexed once per process and again only when the file
// changed on disk; null when it is missing or not a registry file.
std::shared_ptr<const RegFileView> ReadOnlyRegistryFile(const QString& path,
                                                        const QString& wineRoot);

// The editor's own settings file is never read beyond this size: a larger one is damaged.
inline constexpr qint64 kMaxSettingsFileBytes = 16 * 1024 * 1024;
