#pragma once

#include <QByteArray>

// The bytes compressed by mscompress (run on a copy in a temporary folder).
QByteArray MsCompressed(const QByteArray& bytes);
// Made-up content: `compressible` gives text-like runs, otherwise noise. Same seed, same bytes.
QByteArray TestBytes(qsizetype size, unsigned seed, bool compressible = true);
