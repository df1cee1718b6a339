#include "desktoplink.h"

#include "registry.h"
#include "registrynames.h"
#include "safefs.h"
#include "stagedfile.h"
#include "winepaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// The shell keeps its folder names in buffers of this many characters.
constexpr qsizetype kMaxShellPath = 260;

#ifdef _WIN32

const wchar_t* W(const QString& text) {
  return reinterpret_cast<const wchar_t*>(text.utf16());
}

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

#endif

}  // namespace

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
  StagedFile file(Reach(linkFile), StagedFile::Takes::WritableFileOnly);
  const QByteArray bytes = entry.toUtf8();
  if (file.Open() != StagedFile::Opened::Ready || !file.Write(bytes.constData(), bytes.size()))
    return false;
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

QString DesktopFolder() {
  // The shell records where the desktop is; a value there wins over the platform's own idea.
  const auto recorded = RegAccessor().Read(RegRoot::CurrentUser, kShellFoldersKey, kDesktopValue);
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
