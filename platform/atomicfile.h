#pragma once

#include <QByteArray>
#include <QString>

// Replacing a file without ever leaving a half-written one in its place: the new content goes
// into a temporary file in the target's folder, is flushed to the disk, takes over the target's
// permissions and is then renamed over the target. On failure the target is exactly as it was
// and the temporary file is gone.

// Writes `bytes` as the new content of `path`. On failure `error` gets the system's text.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Copies `source` over `target` (created when missing), whole, byte for byte. Both names are
// matched without regard to case where the files exist already. On failure `error` gets the
// system's text for the failure, e.g. "No such file or directory" for a missing source.
bool CopyFileReplacing(const QString& source, const QString& target, QString* error = nullptr);

// Tests: make the next atomic write fail after `bytes` bytes with the system error `code`.
void FailNextAtomicWriteForTesting(qint64 bytes, int code);
