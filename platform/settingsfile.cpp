#include "settingsfile.h"

#include "dialogs.h"
#include "paths.h"
#include "stagedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

using namespace Qt::Literals::StringLiterals;
using namespace RegistryParts;

namespace {

// What the settings file holds as it stands now.
struct Reading {
  enum class State { Missing, Found, Unreadable, Damaged };
  State state = State::Missing;
  RegHive hive;
  QString why;  // Unreadable, Damaged: what is wrong with it
};

Reading ReadSettings(const QString& path) {
  const FileStamp stamp = FileStamp::Of(path);
  if (!stamp.exists) return {};
  if (!stamp.regular) return {Reading::State::Damaged, {}, u"it is not a regular file"_s};
  if (stamp.size > kMaxSettingsFileBytes) {
    return {Reading::State::Damaged,
            {},
            u"it is larger than %1 MiB"_s.arg(kMaxSettingsFileBytes / (1024 * 1024))};
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {Reading::State::Unreadable, {}, file.errorString()};
  QString why;
  if (auto hive = RegHive::Parse(file.readAll(), RootName(RegRoot::CurrentUser), &why))
    return {Reading::State::Found, std::move(*hive), {}};
  return {Reading::State::Damaged, {}, why};
}

// The file `path` names once the links it is are followed; a link may lead to a file not made
// yet. Nothing when the links lead round in a circle.
std::optional<QString> LinkEnd(const QString& path) {
  QString at = path;
  for (int hop = 0; hop < 40; ++hop) {
    const QFileInfo info(at);
    if (!info.isSymbolicLink()) return at;
    at = info.symLinkTarget();
  }
  return std::nullopt;
}

// Keeps a damaged file for the user to look at, so that the program can start afresh. False
// when it could not be moved.
bool SetAside(const QString& file, const QString& why) {
  QString aside = file + u".damaged"_s;
  for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n) {
    aside = file + u".damaged-%1"_s.arg(n);
  }
  const bool moved = QFile::rename(file, aside);
  MessageDlg(MsgKind::Warning,
             u"The settings file \"%1\" is damaged (%2).\r%3Saltmarch 98 starts with its "
             "default settings."_s.arg(
                 file, why, moved ? u"It has been kept as \"%1\". "_s.arg(aside) : QString()),
             mbOK);
  return moved;
}

// Why the new file could not be staged: the file itself may not be written, or its folder
// takes no new file.
QString WhyNotStaged(const QString& file, int code) {
  const QFileInfo info(file);
  if (info.exists() && !info.isWritable())
    return u"it may not be written: "_s + SystemErrorText(code);
  return u"its folder \"%1\" takes no new file: %2"_s.arg(info.absolutePath(),
                                                          SystemErrorText(code));
}

}  // namespace

bool SettingsFile::HasKey(const QString& key) {
  return changed_.HasKey(key) || Saved().HasKey(key);
}

const RegValue* SettingsFile::Value(const QString& key, const QString& name) {
  if (const RegValue* mine = changed_.Value(key, name)) return mine;
  return Saved().Value(key, name);
}

bool SettingsFile::Set(const QString& key, const QString& name, const RegValue& value) {
  changed_.Set(key, name, value);
  QString file;
  QString why;
  if (Save(&file, &why)) return true;
  TellUnsaved(file, why);
  return false;
}

const RegHive& SettingsFile::Saved() {
  const FileStamp now = FileStamp::Of(path_);
  if (!saved_ || now != stamp_) {
    saved_ = Load();
    stamp_ = FileStamp::Of(path_);
  }
  return *saved_;
}

RegHive SettingsFile::Load() {
  Reading now = ReadSettings(path_);
  if (now.state == Reading::State::Damaged) SetAside(LinkEnd(path_).value_or(path_), now.why);
  // A file that can't be read stays where it is; the defaults stand in meanwhile.
  return std::move(now.hive);
}

bool SettingsFile::Save(QString* file, QString* why) {
  *file = path_;
  if (!QDir().mkpath(QFileInfo(path_).path())) {
    *why = u"its folder cannot be made"_s;
    return false;
  }
  const std::optional<QString> target = LinkEnd(path_);
  if (!target) {
    *why = u"it is a link that leads round in a circle"_s;
    return false;
  }
  *file = *target;
  const FolderLock lock(QFileInfo(*target).absolutePath());
  if (lock.Outcome() != LockOutcome::Locked) {
    *why = lock.Outcome() == LockOutcome::Busy
               ? LockedByAnotherText()
               : u"it cannot be locked: "_s + SystemErrorText(lock.Error());
    return false;
  }

  Reading now = ReadSettings(*target);
  if (now.state == Reading::State::Unreadable) {
    *why = u"it cannot be read: "_s + now.why;
    return false;
  }
  if (now.state == Reading::State::Damaged && !SetAside(*target, now.why)) {
    *why = now.why;
    return false;
  }
  RegHive merged = now.hive;
  for (const RegHive::Key& key : changed_.Keys()) {
    for (const RegHive::Entry& entry : key.values) merged.Set(key.path, entry.name, entry.value);
  }
  // A file that already holds every change stays untouched, even where it may not be written.
  if (now.state != Reading::State::Found || !(merged == now.hive)) {
    StagedFile out(Reach(*target), StagedFile::Takes::WritableFileOnly);
    out.SetNewMode(0644);
    const QByteArray bytes = merged.Serialize();
    switch (out.Open()) {
      case StagedFile::Opened::Ready:
        if (out.Write(bytes.constData(), bytes.size()) && out.Commit()) break;
        *why = SystemErrorText(out.Error());
        return false;
      case StagedFile::Opened::NotAFile:
        *why = u"it is not a regular file"_s;
        return false;
      case StagedFile::Opened::Failed:
        *why = WhyNotStaged(*target, out.Error());
        return false;
    }
  }
  saved_ = std::move(merged);
  stamp_ = FileStamp::Of(path_);
  changed_ = {};
  return true;
}

void SettingsFile::TellUnsaved(const QString& file, const QString& why) {
  if (std::exchange(toldUnsaved_, true)) return;
  MessageDlg(MsgKind::Warning,
             u"The settings file \"%1\" cannot be saved (%2).\rSaltmarch 98 goes on with its "
             "settings in memory and leaves the file as it is."_s.arg(file, why),
             mbOK);
}
