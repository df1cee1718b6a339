#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` as the file `path` names, whole or not at all: into a temporary file beside it
// that is flushed and then renamed over it. A link is followed to the file it names. What is
// not a regular file (a device, a pipe, a folder) is refused and stays as it is, and so is a
// file the user may not write. False, with `problem` naming the file and the reason, when
// nothing was written.
bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString& problem);
