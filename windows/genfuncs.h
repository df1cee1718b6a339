#pragma once

#include "fontfit.h"
#include "programinfo.h"

#include <QString>
#include <QStringList>

// Small routines several windows share: the program's version text and opening web pages.

// The FileVersion text, or "< No Data Available >" without a version block, "Error retrieving
// version info" when the entry can't be queried, "No Version Info" when it is empty.
QString FileVersionText();

// Opens a web address with the desktop's handler. On failure it says so in a plain message box:
// Could not open web page. ("address")
void OpenWebPage(const QString& address);

// The application's title, shown as the frame's caption and used in several messages.
QString ApplicationTitle();
