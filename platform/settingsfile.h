#pragma once

#include "regfile.h"
#include "registry_p.h"

#include <QString>

#include <optional>

// The current user's keys off Windows: the settings file HKCU.reg, which several copies of the
// editor may share, and which the user may have made a link (dotfile managers keep it so),
// read-only or unreadable.
//
// Each change is saved at once, into the file as it stands then: under the folder's lock the
// file is read again and only the values changed here are set in it, so that two editors never
// undo each other's settings. The file is written where its links lead, the links staying; a
// file that can't be read or written is never replaced. A change that can't be saved stays in
// memory, is tried again with the next one, and is reported once.
class SettingsFile {
 public:
  explicit SettingsFile(const QString& path) : path_(path) {}

  const QString& Path() const { return path_; }
  bool HasKey(const QString& key);
  // The value as this program sees it: its own changes over what the file holds.
  const RegValue* Value(const QString& key, const QString& name);
  // Sets the value and saves it; false when it could not be saved.
  bool Set(const QString& key, const QString& name, const RegValue& value);

 private:
  // The file's content as last read or saved, read again when it changed on disk.
  const RegHive& Saved();
  RegHive Load();
  // Saves the changes made here into the file; on failure `file` and `why` tell what refused.
  bool Save(QString* file, QString* why);
  void TellUnsaved(const QString& file, const QString& why);

  QString path_;
  std::optional<RegHive> saved_;
  RegistryParts::FileStamp stamp_;
  RegHive changed_;  // the values set here and not yet saved
  bool toldUnsaved_ = false;
};
