#pragma once

#include "regfile.h"

#include <QString>

#include <memory>
#include <optional>

enum class RegRoot { CurrentUser, LocalMachine };

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
  // Creates the key when missing. False when it can't be written.
  virtual bool Write(RegRoot root, const QString& key, const QString& name,
                     const RegValue& value) = 0;
};

// The shared accessor; made on first use when the program has not installed one.
Registry& RegAccessor();
// Installs an accessor (tests: a fresh one on a folder of their own); null frees it.
void SetRegAccessor(std::unique_ptr<Registry> accessor);

// The folder of HKCU.reg off Windows: $SALTMARCH_REGISTRY_DIR, else the per-user config folder.
QString RegistryFolder();

// The registry kept in text files in `folder` (the portable backend, also used by tests).
std::unique_ptr<Registry> MakeFileRegistry(const QString& folder);
