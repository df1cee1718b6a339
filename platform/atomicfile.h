#pragma once

#include <QByteArray>
#include <QString>

// Whole files read, copied and replaced without ever leaving a half-written one in a file's
// place: the new content goes into a staged file (stagedfile.h) beside the target, is flushed to
// the disk, takes over the target's permissions and is then renamed over the target. On failure
// the target is exactly as it was and the temporary file is gone.

// Writes `bytes` as the new content of `path`; a link of that name is replaced, never written
// through. On failure `error` gets the system's text.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Copies `source` over `target` (created when missing), whole, byte for byte. Both names are
// matched without regard to case where the files exist already. A replaced target keeps its
// permissions; a new one takes the source's. On failure `error` gets the system's text for the
// failure, e.g. "No such file or directory" for a missing source.
bool CopyFileReplacing(const QString& source, const QString& target, QString* error = nullptr);

// Reads the whole file (name matched without regard to case) into `bytes`; on failure `error`
// gets the system's text.
bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error = nullptr);

// Gives the file that `path` names (matched without regard to case, symbolic links followed to
// the file they point to, the links left as they are) the content `bytes`: atomically through a
// file beside it when its folder may be written, otherwise in place, flushed to the disk. A
// missing file is created atomically.
bool WriteThroughLinks(const QString& path, const QByteArray& bytes, QString* error = nullptr);
