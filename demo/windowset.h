#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every window of the editor and the installer, one after another, in a fixed demo state on
// the sample game: the set that the snapshots show and the layout test checks. Each window is
// shown and its pending events are processed before `visit` sees it, once, under a name of its
// own. Needs the application object; returns why the installer's window could not be made, or
// an empty text.
using WindowVisitor = std::function<void(const QString& name, QWidget* window)>;
QString VisitDemoWindows(const WindowVisitor& visit);
