#include "locate.h"

#include "console.h"
#include "findgame.h"
#include "registrykeys.h"
#include "winepaths.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Quoted(const QString& text) {
  return text.isEmpty() ? u"(none)"_s : u'"' + text + u'"';
}

#ifdef _WIN32

// Windows keeps both the settings and the install key in its own registry.
QString SettingsText() {
  return u"the system registry, HKEY_CURRENT_USER"_s + kOwnKey.chopped(1);
}

QString MachineRegistryText() {
  return u"the system registry"_s;
}

#else

QString FileState(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return u"%1 (missing)"_s.arg(path);
  return u"%1 (%2 bytes)"_s.arg(path).arg(info.size());
}

QString SettingsText() {
  return u"the file "_s + FileState(RegistryFolder() + u"/HKCU.reg"_s);
}

// What the machine's registry file holds; a file that cannot be read is told from one that
// is no registry file.
QString RegistryFileText(const QString& file) {
  QString text = FileState(file);
  if (const auto view = ReadOnlyRegistryFile(file, u"HKEY_LOCAL_MACHINE"_s)) {
    text += u", %1 keys"_s.arg(view->KeyCount());
    if (!view->Arch().isEmpty()) text += u", "_s + view->Arch();
    return text;
  }
  if (!QFileInfo::exists(file)) return text;
  QFile reading(file);
  if (!QFileInfo(file).isFile()) return text + u", not a regular file"_s;
  if (!reading.open(QIODevice::ReadOnly))
    return text + u", cannot read it: "_s + reading.errorString();
  return text + u", not a registry file"_s;
}

QString MachineRegistryText() {
  const QString file = MachineRegistryFile(RegistryFolder());
  if (file != WinePrefix() + u"/system.reg"_s)
    return u"the registry file "_s + RegistryFileText(file);
  return u"the Wine prefix %1 (%2), its system.reg: "_s.arg(
             WinePrefix(), qEnvironmentVariableIsEmpty("WINEPREFIX") ? u"WINEPREFIX is not set"_s
                                                                     : u"from WINEPREFIX"_s) +
         RegistryFileText(file);
}

#endif

QString SourceText(const GameSearch& search) {
  const RegOrigin& origin = search.installOrigin;
  switch (search.source) {
    case GameSearch::Source::EditorSetting:
      return u"the editor's own setting \"%1\""_s.arg(kGameFolderValue);
    case GameSearch::Source::MachineRegistry:
      if (origin.file.isEmpty()) {
        return u"the system registry, \"%1\" of %2"_s.arg(kInstallPathValue, origin.key);
      }
      return u"the machine registry file %1, \"%2\" of %3"_s.arg(origin.file, kInstallPathValue,
                                                                 origin.key);
    case GameSearch::Source::WinePrefix:
      return u"the Wine prefix %1 (system.reg), \"%2\" of %3"_s.arg(origin.winePrefix,
                                                                    kInstallPathValue, origin.key);
    case GameSearch::Source::None:
      break;
  }
  return u"nothing"_s;
}

}  // namespace

int LocateCommand(const QStringList& args) {
  if (!args.isEmpty()) {
    return UsageError(Err(), u"locate"_s, u"unexpected argument \"%1\""_s.arg(Visible(args[0])));
  }
  const GameSearch search = FindGame();

  QStringList lines;
  lines << u"Game folder:       "_s + (search.folder.isEmpty() ? u"(none found)"_s : search.folder);
  lines << u"Found through:     "_s + SourceText(search);
  lines << u"Settings:          "_s + SettingsText();
  lines << u"First run:         "_s +
               (search.firstRun ? u"yes (\"%1\" is not \"%2\"): the install key decides"_s.arg(
                                      kSetupValue, kSetupCompleted)
                                : u"no: the saved game folder decides"_s);
  lines << u"Saved game folder: "_s + Quoted(search.savedFolder);
  lines << u"Machine registry:  "_s + MachineRegistryText();
  QString install = u"InstallPath:       "_s;
  if (search.installFound) {
    install += Quoted(search.installOrigin.stored) + u" in "_s + search.installOrigin.key;
    if (search.installPath != search.installOrigin.stored)
      install += u", here "_s + search.installPath;
  } else {
    install += u"(none) under HKEY_LOCAL_MACHINE\\"_s + kGameKey + u" or its Wow6432Node view"_s;
  }
  lines << install;
  // Values come from files anyone may have written: a line break in one must not make a line
  // of its own, nor an escape sequence reach the terminal.
  for (const QString& line : lines) Out() << Visible(line) << '\n';
  Out().flush();
  if (!search.holdsGame) {
    Err() << "No game found: " << Visible(search.reason) << ".\n";
    return 1;
  }
  return 0;
}
