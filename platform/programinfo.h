#pragma once

#include "serviceslot.h"

#include <QString>

// What the program's version block answers: whether there is one, whether its FileVersion
// entry could be queried, and the entry's text.
struct VersionBlock {
  bool present = true;
  bool queried = true;
  QString fileVersion;
};

// What the running program knows about itself and the controls the system draws for it: its
// folder, its version block and the common controls' version. One replaceable service, so that
// a test can place the program in a folder of its own or give it a broken version block.
class ProgramInfoService {
 public:
  virtual ~ProgramInfoService() = default;
  // The program's folder, ending in the separator.
  virtual QString Folder() = 0;
  // The version block compiled into the program.
  virtual VersionBlock Version() = 0;
  // The version of the common controls the toolbars rely on: major number in the high 16 bits,
  // minor in the low ones; 0 when unknown. Off Windows the toolkit draws the controls itself,
  // so the version is always recent enough.
  virtual unsigned CommonControlsVersion() = 0;
};

// The FileVersion text, or "< No Data Available >" without a version block, "Error retrieving
// version info" when the entry can't be queried, "No Version Info" when it is empty.
QString FileVersionText();

// Where the service in use is kept; until a test puts its own in use, the running program's.
ServiceSlot<ProgramInfoService>& ProgramInfoSlot();
inline ProgramInfoService& ProgramInfo() {
  return ProgramInfoSlot().Get();
}
