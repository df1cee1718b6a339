#pragma once

#include "serviceslot.h"

#include <QString>

// How handing a program to the system went.
struct ProgramStart {
  enum class Outcome { Started, NoWine, Failed };
  Outcome outcome = Outcome::Started;
  QString reason;  // Failed: the file and what went wrong with it
};

// Opening a file or a web address with the desktop's default handler, and starting the game's
// Windows program, go through one replaceable service, so tests can see what would have been
// opened or started.
class ShellService {
 public:
  virtual ~ShellService() = default;
  // Gives false when the desktop could not open it.
  virtual bool Open(const QString& fileOrAddress) = 0;
  // Starts a Windows program without waiting for it; it runs on after the editor ends. Windows
  // opens it through the shell as Open does, and what it makes of it is not looked at. Elsewhere
  // Wine runs it (see StartWithWine).
  virtual ProgramStart StartWindowsProgram(const QString& program) = 0;
};

// Where the service in use is kept; until a test puts its own in use, the desktop's handler.
ServiceSlot<ShellService>& ShellSlot();
inline ShellService& Shell() {
  return ShellSlot().Get();
}
