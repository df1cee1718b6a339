#pragma once

#include "installerui.h"
#include "interpreter.h"
#include "script.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The work before the run, shared by the setup window and the unattended install.

// Gets the working buffer: kWorkingBufferSize zero bytes. False when there is no memory.
using BufferAllocator = std::function<bool(std::vector<char>&)>;
bool AllocateWorkingBuffer(std::vector<char>& buffer);

// Why the script could not be taken: the message, and for a fault of its text the line.
struct LoadFailure {
  int message = 0;  // 0: the script is read and parsed
  int line = 0;
  explicit operator bool() const { return message != 0; }
  // The message as shown, naming the line where the message has a place for it.
  QString Text() const;
};

// Reads "VOVIVADU.ZED" from `sourceFolder` into a new working buffer and parses it. The message
// of a failure: 3 missing, 5 no memory, 6 bad size or unreadable, 7 bad form, 37 a zero byte,
// 38 more commands than the table holds.
LoadFailure LoadScript(const QString& sourceFolder, std::vector<char>& buffer,
                       InstallScript& script,
                       const BufferAllocator& allocate = AllocateWorkingBuffer);

enum class LocationResult {
  Run,       // the location is entered and has room: run the script
  AskAgain,  // the user does not want to update what is there: ask for another location
  NoDrive,   // a drive letter this system has no drive for (see the problem); nothing shown
  Refused,   // the location can't be used (see the problem); nothing shown
};

// Why a location can't be used: the installer's message for it (13, 14 or 16), the folder as
// given or as it was to be made, and the reason in a few words.
struct LocationProblem {
  int message = 0;
  QString folder;
  QString reason;
  // The message's first line naming the folder, then the reason; when setup stops here, the
  // message's own last line ("Installation Aborted") ends it, else a request for another
  // location.
  QString Text(bool stopping) const;
};

// The location step: decides between a new installation and an update (asking about the
// update), creates and enters the location and checks its free space. Fills `state`; the
// caller tells the user about a location that can't be used, from `problem`.
LocationResult PrepareLocation(const QString& typed, const InstallScript& script, RunState& state,
                               InstallerUi& ui,
                               const std::function<std::int64_t(const QString&)>& freeSpace,
                               LocationProblem& problem);

// A location under the user's home folder in place of a Windows path ("C:\\Saltmarch98") that
// this system has no drive for: the home folder and the path's last name.
QString HomeLocationFor(const QString& windowsPath);

// One trailing separator (either kind) removed.
QString WithoutTrailingSeparator(const QString& path);
