#pragma once

#include "serviceslot.h"

#include <QString>

// Opening a file or a web address with the desktop's default handler goes through one
// replaceable service, so tests can see what would have been opened.
class ShellService {
 public:
  virtual ~ShellService() = default;
  // Gives false when the desktop could not open it.
  virtual bool Open(const QString& fileOrAddress) = 0;
};

// Where the service in use is kept; until a test puts its own in use, the desktop's handler.
ServiceSlot<ShellService>& ShellSlot();
inline ShellService& Shell() {
  return ShellSlot().Get();
}
