#pragma once

#include "fontfit.h"
#include "programinfo.h"

#include <QString>
#include <QStringList>

// Small routines several windows share: opening web pages and the application's title. The
// program's version text (FileVersionText) comes with programinfo.h.

// Opens a web address with the desktop's handler. On failure it says so in a plain message box:
// Could not open web page. ("address")
void OpenWebPage(const QString& address);

// The application's title, shown as the frame's caption and used in several messages.
QString ApplicationTitle();
