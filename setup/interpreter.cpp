#include "interpreter.h"

#include "desktoplink.h"
#include "diskprompt.h"
#include "expandfile.h"
#include "installfolders.h"
#include "paths.h"
#include "safefs.h"
#include "setupstrings.h"
#include "stagedfile.h"
#include "textformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Clean(const QString& path) {
  return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// A path of the script taken from `folder` when it is relative. Empty for an empty text, which
// names nothing (never the folder itself).
QString InFolder(const QString& folder, const QString& path) {
  if (path.isEmpty()) return {};
  if (QDir::isAbsolutePath(path)) return path;
  return folder + PathSeparator() + path;
}

// The existing file or folder whatever the case of its name; else the path as given.
QString Existing(const QString& path) {
  const QString found = ResolveExisting(path);
  return found.isEmpty() ? path : found;
}

int ToDiskNumber(quint32 value) {
  return static_cast<int>(std::min<quint32>(value, std::numeric_limits<int>::max()));
}

class Interpreter {
 public:
  Interpreter(InstallScript& script, RunState& state, InstallerUi& ui)
      : script_(script), state_(state), ui_(ui) {
    // Measured as written: running a command removes its mode prefix.
    for (const QString& command : script_.commands)
      overlong_.push_back(command.size() > kMaxCommand);
  }

  RunOutcome Run() {
    state_.errorsIgnored = false;
    state_.position = 0;
    while (state_.position < script_.commands.size()) {
      ui_.SetFileProgress(0);
      QString& entry = script_.commands[state_.position];
      const bool isNew = state_.mode == InstallMode::New;
      if ((entry.startsWith(u'o') && isNew) || (entry.startsWith(u'u') && !isNew))
        entry.remove(0, 1);

      Step step = Step::Next;
      cut_ = overlong_[static_cast<std::size_t>(state_.position)];
      if (!entry.isEmpty() && IsCommandLetter(entry[0])) {
        step = RunCommand(entry[0], QStringView(entry).mid(2));
      } else {
        ui_.SetFileProgress(80);
        QThread::msleep(25);
      }
      if (step == Step::Stop) return RunOutcome::Stopped;
      if (step == Step::Retry) continue;

      ui_.SetFileProgress(100);
      ui_.StepOverall();
      ui_.Repaint();
      ++state_.position;
    }
    const bool withErrors = state_.errorsIgnored;
    ui_.ShowSetupMessage(0, SetupRef(smSetup),
                         SetupRef(withErrors ? smCompletedWithErrors : smCompleted));
    ui_.EndSetup();
    return withErrors ? RunOutcome::CompletedWithErrors : RunOutcome::Completed;
  }

 private:
  enum class Step { Next, Retry, Stop };

  Step RunCommand(QChar letter, QStringView argument) {
    switch (letter.unicode()) {
      case u'C':
        return ChangeFolder(argument);
      case u'M':
        return MakeFolder(argument);
      case u'R':
        return RemoveFolder(argument);
      case u'D':
        return DeleteFile(argument);
      case u'E':
        return Expand(argument);
      case u'S':
        return Join(argument);
      case u'I':
        Status(smWaitingForDisk, argument.toString());
        return ui_.WaitForDisk(ToDiskNumber(ReadDecimal(argument))) ? Step::Next : Step::Stop;
      case u'L':
        return DesktopLink(argument);
      case u'X':
        return Execute(argument);
      default:
        return Step::Next;
    }
  }

  // The status line: the message and the name it is about, shown so that no character of the
  // name can break the line or reach a terminal as a control.
  void Status(int message, const QString& name) {
    ui_.SetStatus(SetupString(message) + Shown(name));
  }

  // A path the command cannot use whole: longer than any path, or from a command longer than a
  // table entry, which the table would have cut. Refused, never cut into another place's name.
  bool TooLong(qsizetype pathSize) const { return cut_ || pathSize > kMaxInstallPath; }

  // Ends setup: the message in an error box, then the window closes.
  Step Fatal(const QString& text, int caption = smError) {
    ui_.ShowSetupMessage(0, SetupRef(caption), text);
    ui_.EndSetup();
    return Step::Stop;
  }
  Step Fatal(int message, int caption = smError) { return Fatal(SetupRef(message), caption); }

  // The entry a path of a command names. Below the install location and the current folder,
  // what lies at the destination (a link to elsewhere) can never lead the command out.
  Place Reached(const QString& path) const {
    const QString full = InFolder(state_.currentFolder, path);
    if (full.isEmpty()) return {};
    return Reach(full, {state_.location, state_.currentFolder});
  }

  Step ChangeFolder(QStringView argument) {
    const QString path = ExpandMacros(argument, state_, true);
    Status(smChangingFolder, path);
    if (TooLong(path.size())) return Fatal(smCannotEnterFolder);
    const Place folder = Reached(path);
    if (!CanEnterAt(folder)) return Fatal(smCannotEnterFolder);
    state_.currentFolder = Clean(folder.Path());
    return Step::Next;
  }

  Step MakeFolder(QStringView argument) {
    const QString path = ExpandMacros(argument, state_, false);
    Status(smCreatingFolder, path);
    if (TooLong(path.size())) return Fatal(smCannotCreateFolder);
    const Place folder = Reached(path);
    if (folder.Kind() == EntryKind::Absent) MakeFolderAt(folder);
    if (!CanEnterAt(folder)) return Fatal(smCannotCreateFolder);
    return Step::Next;
  }

  Step RemoveFolder(QStringView argument) {
    const QString path = ExpandMacros(argument, state_, false);
    Status(smDeletingFolder, path);
    if (TooLong(path.size())) return Step::Next;
    const Place folder = Reached(path);
    // Like the removal itself, the current folder ends up in the removed folder's parent.
    if (RemoveTreeAt(folder))
      state_.currentFolder = Clean(folder.Path() + PathSeparator() + u".."_s);
    return Step::Next;
  }

  Step DeleteFile(QStringView argument) {
    const QString name = NativeText(argument);
    Status(smDeletingFile, name);
    if (!TooLong(name.size())) DeleteFileAt(Reached(name));
    return Step::Next;
  }

  // A file of the install medium: in the source folder, or else in the folder of the disk
  // now in the drive when the medium keeps its disks in folders. Empty when it is on neither.
  QString FindOnMedium(const QString& name) const {
    const QString here = ResolveExisting(state_.sourceFolder + PathSeparator() + name);
    if (!here.isEmpty() && QFileInfo(here).isFile()) return here;
    if (state_.currentDisk > 1) {
      const QString onDisk =
          ResolveExisting(DiskFolder(state_, state_.currentDisk) + PathSeparator() + name);
      if (!onDisk.isEmpty() && QFileInfo(onDisk).isFile()) return onDisk;
    }
    return {};
  }

  // Where E and S write: refused, never cut, when the name or its command is too long (TooLong).
  StagedFile Destination(const QString& destination) const {
    const bool tooLong = TooLong(InFolder(state_.currentFolder, destination).size());
    return StagedFile(tooLong ? Place() : Reached(destination),
                      StagedFile::Takes::WritableFileOnly);
  }

  int ExpandInto(const QString& source, StagedFile& out) {
    if (source.size() > kMaxInstallPath) return smCannotOpenSource;
    if (state_.buffer.size() < static_cast<std::size_t>(kExpandBlock)) {
      state_.buffer.assign(static_cast<std::size_t>(kWorkingBufferSize), 0);
    }
    return ::ExpandInto(source, out, state_.buffer,
                        [this](int percent) { ui_.SetFileProgress(percent); });
  }

  Step Expand(QStringView argument) {
    const qsizetype arrow = argument.indexOf(u'>');
    if (arrow < 0) return Fatal(smBadScript);
    const QString name = NativeText(argument.left(arrow));
    const QString destination = NativeText(argument.mid(arrow + 1));
    const QString sourcePath = state_.sourceFolder + PathSeparator() + name;
    Status(smInflating, sourcePath + u" -> "_s + destination);

    const QString found = FindOnMedium(name);
    StagedFile out = Destination(destination);
    int code = ExpandInto(found.isEmpty() ? sourcePath : found, out);
    if (code == 0 && !out.Commit()) code = smIgnoredCommand;
    if (code == 0) return Step::Next;
    const int answer =
        ui_.ShowSetupMessage(kBoxAbortRetryIgnore, SetupRef(smError),
                             ExpansionFailureText(code) + u" ("_s + Shown(sourcePath) + u")"_s);
    if (answer == idRetry) return Step::Retry;
    if (answer == idIgnore) {
      state_.errorsIgnored = true;
      return Step::Next;
    }
    ui_.EndSetup();
    return Step::Stop;
  }

  Step Join(QStringView argument) {
    const quint32 count = ReadDecimal(argument);
    if (count == 0) return Fatal(smBadDiskCount, smSetup);
    const qsizetype bang = argument.indexOf(u'!');
    const qsizetype arrow = argument.indexOf(u'>');
    // The piece number takes the template's last three characters: a shorter template would
    // put it into the folder's name.
    if (bang < 0 || arrow < bang + 4) return Fatal(smBadScript);
    const QString pattern = NativeText(argument.mid(bang + 1, arrow - bang - 1));
    const QString destination = NativeText(argument.mid(arrow + 1));

    // The pieces make one new file, which takes the destination's place only when all of them
    // are in: a missing or damaged piece leaves the destination as it was.
    StagedFile out = Destination(destination);
    for (quint32 piece = 1; piece <= count && piece != 0; ++piece) {
      const QString name = pattern.left(pattern.size() - 3) +
                           u"%1"_s.arg(static_cast<qulonglong>(piece), 3, 10, QChar(u'0'));
      QString found = FindOnMedium(name);
      if (found.isEmpty()) {
        const int next = state_.currentDisk + 1;
        Status(smWaitingForDisk, QString::number(next));
        if (!ui_.WaitForDisk(next)) return Step::Stop;
        found = FindOnMedium(name);
      }
      const QString shown = found.isEmpty() ? state_.sourceFolder + PathSeparator() + name : found;
      Status(smCopying, shown + u" -> "_s + destination);
      const int code = ExpandInto(shown, out);
      if (code != 0) return Fatal(ExpansionFailureText(code));
    }
    if (!out.Commit()) return Fatal(ExpansionFailureText(smIgnoredCommand));
    return Step::Next;
  }

  Step DesktopLink(QStringView argument) {
    const QString target = state_.currentFolder + PathSeparator() + NativeText(argument);
    Status(smCreatingLink, target);
    if (state_.desktopFolder.isEmpty()) return Step::Next;
    const QString link =
        state_.desktopFolder + PathSeparator() + DesktopLinkName(script_.productName);
    if (TooLong(target.size()) || link.size() > kMaxInstallPath) return Step::Next;
    CreateDesktopLink(link, target, state_.currentFolder, script_.productName);
    return Step::Next;
  }

  Step Execute(QStringView argument) {
    const qsizetype bang = argument.indexOf(u'!');
    const QString program = (bang < 0 ? argument : argument.left(bang)).toString();
    const QString arguments = bang < 0 ? QString() : argument.mid(bang + 1).toString();
    Status(smExecuting, program);

    // The five fields: the program, its arguments, the source folder and the install location,
    // and the mode letter. The line they make must fit the path limit like every other.
    const QString mode = state_.mode == InstallMode::New ? u"O"_s : u"U"_s;
    const qsizetype line = program.size() + arguments.size() + state_.sourceFolder.size() +
                           state_.location.size() + 13;
    if (program.isEmpty() || TooLong(line)) return Step::Next;
    // A link placed in the location in the program's stead starts nothing.
    const Place place = Reached(NativeText(program));
    if (!place.Reached() || (!place.Trusted() && place.Kind() == EntryKind::Link))
      return Step::Next;
    const QString path = Existing(place.Path());
    ProgramRunner& runner = state_.runner ? *state_.runner : ProcessRunner();
    runner.Run(path, {arguments, state_.sourceFolder, state_.location, mode}, state_.currentFolder,
               [this] { ui_.Repaint(); });
    return Step::Next;
  }

  InstallScript& script_;
  RunState& state_;
  InstallerUi& ui_;
  std::vector<bool> overlong_;  // per command: longer than a table entry holds
  bool cut_ = false;            // the command being run is one of them
};

}  // namespace

void UseSystemFolders(RunState& state) {
  state.windowsFolder = WindowsFolder();
  state.systemFolder = SystemFolder();
  state.desktopFolder = DesktopFolder();
}

RunOutcome RunInstall(InstallScript& script, RunState& state, InstallerUi& ui) {
  return Interpreter(script, state, ui).Run();
}

QString ExpandMacros(QStringView argument, const RunState& state, bool systemMacro) {
  QString path;
  for (qsizetype i = 0; i < argument.size(); ++i) {
    const QChar c = argument[i];
    if (c != u'@') {
      path += c == u'\\' ? PathSeparator() : c;
      continue;
    }
    if (i + 1 >= argument.size()) break;
    const QChar next = argument[++i];
    if (next == u'I') {
      path += state.location;
    } else if (next == u'W') {
      if (systemMacro && i + 1 < argument.size() && argument[i + 1] == u'S') {
        path += state.systemFolder;
        ++i;
      } else {
        path += state.windowsFolder;
      }
    } else {
      path += next == u'\\' ? PathSeparator() : next;
    }
  }
  return path;
}
