#pragma once

#include "fontfit.h"

#include <QString>
#include <QStringList>

// Small routines several windows share: the program's version text and opening web pages.

// What the program's version block answers: whether there is one, whether its FileVersion
// entry could be queried, and the entry's text.
struct VersionBlock {
  bool present = true;
  bool queried = true;
  QString fileVersion;
};

// The version block compiled into the program. Tests replace it to see the failure texts.
VersionBlock ProgramVersionBlock();
void SetProgramVersionBlockForTesting(const VersionBlock* block);  // null: the real one

// The FileVersion text, or "< No Data Available >" without a version block, "Error retrieving
// version info" when the entry can't be queried, "No Version Info" when it is empty.
QString FileVersionText();

// Opens a web address with the desktop's handler. On failure it says so in a plain message box:
// Could not open web page. ("address")
void OpenWebPage(const QString& address);

// The application's title, shown as the frame's caption and used in several messages.
QString ApplicationTitle();

// The version of the common controls the toolbars rely on: major number in the high 16 bits,
// minor in the low ones; 0 when unknown. Read once and kept. Off Windows the toolkit draws the
// controls itself, so the version is always recent enough.
unsigned CommonControlsVersion();
void SetCommonControlsVersionForTesting(unsigned version);  // 0: the real one again
