#include "fileops.h"

#include "installerui.h"
#include "lzfile.h"
#include "paths.h"
#include "registry.h"
#include "safefs.h"
#include "winepaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <limits>
#include <string>
#else
#include <QProcess>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// The shell keeps its folder names in buffers of this many characters.
constexpr qsizetype kMaxShellPath = 260;

// Programs and scripts carry their mark in their first bytes; once expanded here they need the
// permission to run, which the install medium cannot pass on.
bool LooksRunnable(std::span<const char> start) {
  return (start.size() >= 4 && start[0] == '\x7f' && start[1] == 'E' && start[2] == 'L' &&
          start[3] == 'F') ||
         (start.size() >= 2 && start[0] == '#' && start[1] == '!');
}

#ifdef _WIN32

const wchar_t* W(const QString& text) {
  return reinterpret_cast<const wchar_t*>(text.utf16());
}

// A folder the system names through one of its calls that fill a buffer.
QString SystemPath(UINT (*call)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT size = call(buffer, MAX_PATH + 1);
  if (size == 0 || size > MAX_PATH) return {};
  return QString::fromWCharArray(buffer, size);
}

// Every field in double quotes but the last, which is the bare mode letter; a program reading
// its command line the usual way gets each field back whole, blanks and all.
QString CommandLine(const QString& program, const QStringList& arguments) {
  QString line = u"\""_s + program + u'"';
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const bool last = i + 1 == arguments.size();
    line += last ? u' ' + arguments[i] : u" \""_s + arguments[i] + u'"';
  }
  return line;
}

// Starts the program itself (no search along the path), with nothing of setup's handles, in a
// window of its own as the system would open it.
class WindowsRunner final : public ProgramRunner {
 public:
  bool Run(const QString& program, const QStringList& arguments, const QString& folder,
           const std::function<void()>& waiting) override {
    const QString native = QDir::toNativeSeparators(program);
    // The system may write into the command line, so it gets a copy it owns.
    std::wstring line = CommandLine(native, arguments).toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(W(native), line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, folder.isEmpty() ? nullptr : W(QDir::toNativeSeparators(folder)),
                        &startup, &process))
      return false;
    CloseHandle(process.hThread);
    do {
      if (waiting) waiting();
    } while (WaitForSingleObject(process.hProcess, 500) == WAIT_TIMEOUT);
    CloseHandle(process.hProcess);
    return true;
  }
};

#else

// Quoting for the Exec line of a desktop entry: the argument in double quotes with ", `, $ and
// \ escaped, % doubled.
QString ExecArgument(const QString& text) {
  QString quoted = u"\""_s;
  for (const QChar c : text) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    if (c == u'%') quoted += u'%';
    quoted += c;
  }
  return quoted + u'"';
}

// A value of a desktop entry: backslashes and line breaks escaped.
QString EntryValue(const QString& text) {
  QString value;
  for (const QChar c : text) {
    if (c == u'\\')
      value += u"\\\\"_s;
    else if (c == u'\n')
      value += u"\\n"_s;
    else if (c == u'\r')
      value += u"\\r"_s;
    else if (c == u'\t')
      value += u"\\t"_s;
    else
      value += c;
  }
  return value;
}

class QProcessRunner final : public ProgramRunner {
 public:
  bool Run(const QString& program, const QStringList& arguments, const QString& folder,
           const std::function<void()>& waiting) override {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start();
    if (!process.waitForStarted(-1)) return false;
    do {
      if (waiting) waiting();
    } while (!process.waitForFinished(500) && process.state() != QProcess::NotRunning);
    return true;
  }
};

#endif

}  // namespace

bool WildcardMatch(QStringView pattern, QStringView name) {
  // Only "*" and "?" are wildcards, as in the system's file search; letter case does not count.
  qsizetype p = 0, n = 0, starP = -1, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP >= 0) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

ProgramRunner& ProcessRunner() {
#ifdef _WIN32
  static WindowsRunner runner;
#else
  static QProcessRunner runner;
#endif
  return runner;
}

int ExpandInto(const QString& source, StagedFile& out, std::span<char> buffer,
               const std::function<void(int)>& progress) {
  auto reader = LzReader::OpenFile(source);
  if (!reader) return 27;
  if (const int failure = out.Open()) return failure;
  // Writing a file into itself, say through a hard link of the medium's file at the
  // destination, would change the medium.
  if (out.Replaces() && out.Replaces() == IdentityOf(ResolveExisting(source))) return 28;
  bool fromStart = out.Size() == 0;

  const std::uint64_t total = static_cast<std::uint64_t>(std::max<std::int64_t>(reader->Size(), 0));
  std::uint64_t done = 0;
  const std::int64_t block = std::min<std::int64_t>(kExpandBlock, std::ssize(buffer));
  std::int64_t got = 0;
  do {
    got = reader->Read(buffer.data(), block);
    if (got < 0) return 29;
    if (got > 0) {
      if (!out.Write(buffer.data(), got)) return 30;
      if (fromStart && LooksRunnable(buffer.first(static_cast<std::size_t>(got))))
        out.MakeRunnable();
      fromStart = false;
    }
    done += static_cast<std::uint64_t>(got);
    // 64 bits, so large files do not wrap the share round; an empty file is all done.
    const std::uint64_t share = total == 0 ? 100 : std::min<std::uint64_t>(done * 100 / total, 100);
    if (progress) progress(static_cast<int>(share));
  } while (got == block);
  return 0;
}

int ExpandFile(const QString& source, const QString& destination, bool create,
               std::span<char> buffer, const std::function<void(int)>& progress) {
  if (destination.isEmpty()) return 28;
  StagedFile out(Reach(destination), !create);
  const int failure = ExpandInto(source, out, buffer, progress);
  if (failure != 0) return failure;
  return out.Commit() ? 0 : 30;
}

bool RemoveTree(const QString& folder) {
  return !folder.isEmpty() && RemoveTreeAt(Reach(folder));
}

#ifdef _WIN32

bool CreateDesktopLink(const QString& linkFile, const QString& target, const QString& workingFolder,
                       const QString& description) {
  // A shell link, made and saved through the shell's own objects.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool saved = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(W(target));
    link->SetWorkingDirectory(W(workingFolder));
    link->SetDescription(W(description));
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(W(linkFile), TRUE));
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return saved;
}

#else

bool CreateDesktopLink(const QString& linkFile, const QString& target, const QString& workingFolder,
                       const QString& description) {
  const QString entry =
      u"[Desktop Entry]\n"
      u"Type=Application\n"
      u"Version=1.0\n"
      u"Name="_s +
      EntryValue(description) + u"\nComment="_s + EntryValue(description) + u"\nExec="_s +
      EntryValue(ExecArgument(target)) + u"\nPath="_s + EntryValue(workingFolder) +
      u"\nTerminal=false\n"_s;
  // Written beside its place and renamed into it: a link or a pipe of that name on the desktop
  // is never written through (no launcher is made then).
  StagedFile file(Reach(linkFile), false);
  const QByteArray bytes = entry.toUtf8();
  if (file.Open() != 0 || !file.Write(bytes.constData(), bytes.size())) return false;
  // Desktops start only launchers that may run.
  file.MakeRunnable();
  return file.Commit();
}

#endif

QString DesktopLinkName(const QString& product) {
#ifdef _WIN32
  return product + u".LNK"_s;
#else
  return product + u".desktop"_s;
#endif
}

bool MarkerFound(const QString& folder, const QString& pattern) {
  const QString full = folder + PathSeparator() + pattern;
  const qsizetype cut = full.lastIndexOf(PathSeparator());
  const QString name = full.mid(cut + 1);
  if (name.isEmpty()) return false;
  const QString where = ResolveExisting(full.left(cut));
  if (where.isEmpty() || !QFileInfo(where).isDir()) return false;
  const QStringList entries =
      QDir(where).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  return std::any_of(entries.begin(), entries.end(),
                     [&name](const QString& entry) { return WildcardMatch(name, entry); });
}

bool CanEnter(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && info.isDir() && info.isExecutable();
}

#ifdef _WIN32

std::int64_t FreeSpace(const QString& path) {
  ULARGE_INTEGER available{};
  // A folder of the drive, ending in a backslash as the call wants for shared folders.
  QString folder = QDir::toNativeSeparators(path);
  if (!folder.endsWith(u'\\')) folder += u'\\';
  if (!GetDiskFreeSpaceExW(W(folder), &available, nullptr, nullptr)) return -1;
  return static_cast<std::int64_t>(
      std::min<ULONGLONG>(available.QuadPart, std::numeric_limits<std::int64_t>::max()));
}

QString WindowsFolder() {
  return SystemPath(GetWindowsDirectoryW);
}

QString SystemFolder() {
  return SystemPath(GetSystemDirectoryW);
}

#else

std::int64_t FreeSpace(const QString& path) {
  const QStorageInfo storage(path);
  return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString WindowsFolder() {
  const QString windir = qEnvironmentVariable("WINDIR");
  if (!windir.isEmpty()) return QDir::toNativeSeparators(windir);
  QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (prefix.isEmpty()) prefix = QDir::homePath() + u"/.wine"_s;
  return QDir::toNativeSeparators(prefix + u"/drive_c/windows"_s);
}

QString SystemFolder() {
  const QString windows = WindowsFolder();
  const QString system = ResolveExisting(windows + PathSeparator() + u"system32"_s);
  return system.isEmpty() ? windows + PathSeparator() + u"system32"_s : system;
}

#endif

QString DesktopFolder() {
  // The shell records where the desktop is; a value there wins over the platform's own idea.
  const auto recorded = RegAccessor().Read(
      RegRoot::CurrentUser,
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"_s, u"Desktop"_s);
  if (recorded && recorded->type == RegValue::Type::String && !recorded->text.isEmpty()) {
    return recorded->text.left(kMaxShellPath);
  }
#ifdef _WIN32
  // The shell's own record is the only one there is: without it no link is made.
  return {};
#else
  // Installing into a Wine prefix the user named: the prefix's own shell knows its desktop.
  if (!qEnvironmentVariableIsEmpty("WINEPREFIX")) {
    const QString wine = WineDesktopFolder();
    if (!wine.isEmpty()) return QDir::toNativeSeparators(wine).left(kMaxShellPath);
  }
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desktop.isEmpty() || desktop == QDir::homePath() || !QFileInfo(desktop).isDir()) return {};
  return QDir::toNativeSeparators(desktop);
#endif
}
