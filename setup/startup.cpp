#include "startup.h"

#include "installfolders.h"
#include "paths.h"
#include "setupstrings.h"
#include "textformat.h"
#include "winepaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <new>

using namespace Qt::Literals::StringLiterals;

bool AllocateWorkingBuffer(std::vector<char>& buffer) {
  try {
    buffer.assign(static_cast<std::size_t>(kWorkingBufferSize), 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

QString LoadFailure::Text() const {
  return Format(SetupString(message), {QString::number(line)});
}

LoadFailure LoadScript(const QString& sourceFolder, std::vector<char>& buffer,
                       InstallScript& script, const BufferAllocator& allocate) {
  const QString path =
      ResolveExisting(sourceFolder + PathSeparator() + QString::fromLatin1(kScriptFileName));
  QFile file(path);
  if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    return {smNoScript};
  }
  if (!allocate(buffer) || buffer.size() < static_cast<std::size_t>(kMaxScriptSize)) {
    return {smNoMemory};
  }
  const qint64 size = file.size();
  if (size <= kMinScriptSize || size >= kMaxScriptSize) return {smCannotReadScript};
  if (file.read(buffer.data(), size) != size) return {smCannotReadScript};
  file.close();

  ScriptRefusal refusal;
  auto parsed = ParseScript(DecodeScriptText(QByteArrayView(buffer.data(), size)), &refusal);
  if (!parsed) {
    if (refusal.reason == ScriptRefusal::ZeroByte) return {smZeroByteInScript, refusal.line};
    if (refusal.reason == ScriptRefusal::TooManyCommands) return {smTooManyCommands, refusal.line};
    return {smBadScript};
  }
  script = std::move(*parsed);
  return {};
}

QString WithoutTrailingSeparator(const QString& path) {
  if (path.endsWith(u'\\') || path.endsWith(u'/')) return path.chopped(1);
  return path;
}

namespace {

bool HasDriveLetter(const QString& path) {
  return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// Why `location` could not be made (one level, `error` the system's code) or entered.
QString EnterProblem(const QString& location, const QString& entered, int error) {
  if (location.isEmpty()) return u"No location is given"_s;
  if (entered.isEmpty()) {
    return error == kErrorNoSuchFolder
               ? u"The folder above it does not exist (setup makes only one level)"_s
               : SystemErrorText(error);
  }
  if (!QFileInfo(entered).isDir()) return u"It is a file, not a folder"_s;
  return u"Setup may not enter it"_s;
}

}  // namespace

QString HomeLocationFor(const QString& windowsPath) {
  const QStringList names = QString(windowsPath.mid(HasDriveLetter(windowsPath) ? 2 : 0))
                                .replace(u'\\', u'/')
                                .split(u'/', Qt::SkipEmptyParts);
  const QString home = QDir::toNativeSeparators(QDir::homePath());
  return names.isEmpty() ? home : home + PathSeparator() + names.last();
}

QString LocationProblem::Text(bool stopping) const {
  const QStringList lines = SetupString(message).split(u'\n');
  QString text = lines.first();
  if (!folder.isEmpty()) text += u": "_s + Shown(folder);
  text += u'\n' + reason + u'\n';
  return text + (stopping ? lines.mid(1).join(u'\n') : u"Enter another location and press OK"_s);
}

LocationResult PrepareLocation(const QString& typed, const InstallScript& script, RunState& state,
                               InstallerUi& ui,
                               const std::function<std::int64_t(const QString&)>& freeSpace,
                               LocationProblem& problem) {
  const auto refuse = [&problem](int message, const QString& folder, const QString& reason) {
    problem = {message, folder, reason};
    return LocationResult::Refused;
  };
  state.sourceFolder = WithoutTrailingSeparator(state.sourceFolder);
  QString location = WithoutTrailingSeparator(typed);
  // Longer than a location may be written: cut, it would name another folder.
  if (location.size() > kMaxLocation) {
    return refuse(smCannotEnterFolder, location,
                  u"A location may be %1 characters long at most"_s.arg(kMaxLocation));
  }
#ifndef _WIN32
  // A drive letter means a drive of the Wine prefix here; without one there is no such place.
  if (HasDriveLetter(location)) {
    const QString mapped = MapWindowsPath(location);
    if (mapped == location) {
      problem = {smCannotCreateFolder, location,
                 u"This system has no drive %1, and no Wine prefix maps one"_s.arg(location.left(2))};
      return LocationResult::NoDrive;
    }
    location = mapped;
  }
#endif
  location = NativeText(location);
  // A relative location is taken from the folder setup started in, once, so that every later
  // use of it means the same folder whatever the current folder is then.
  if (!location.isEmpty() && QDir::isRelativePath(location)) {
    location = state.sourceFolder + PathSeparator() + location;
  }
  // Longer than any path may be: refused, never cut (a cut one would be another folder).
  if (location.size() > kMaxInstallPath) {
    return refuse(smCannotEnterFolder, location,
                  u"A path may be %1 characters long at most"_s.arg(kMaxInstallPath));
  }
  state.location = location;

  const bool found = !location.isEmpty() && MarkerFound(location, NativeText(script.markerFile));
  state.mode = found ? InstallMode::Update : InstallMode::New;
  if (found && ui.ShowSetupMessage(kBoxYesNo | kIconQuestion, u"@11"_s, u"@9"_s) != idYes) {
    return LocationResult::AskAgain;
  }

  int error = 0;
  const bool created = CreateOneFolder(location, &error);
  const QString entered = ResolveExisting(location);
  if (!CanEnter(entered)) {
    return refuse(smCannotEnterFolder, location, EnterProblem(location, entered, error));
  }
  state.currentFolder = QDir::toNativeSeparators(QDir::cleanPath(entered));

  const std::int64_t free = freeSpace ? freeSpace(state.currentFolder) : FreeSpace(entered);
  if (free >= 0 && static_cast<std::uint64_t>(free) < script.requiredSpace) {
    // The empty folder made a moment ago is not left behind for a location given up.
    if (created) QDir().rmdir(entered);
    return refuse(smNoSpace, state.currentFolder,
                  u"%1 bytes are free there, %2 are needed"_s.arg(free).arg(script.requiredSpace));
  }
  return LocationResult::Run;
}
