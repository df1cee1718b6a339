#pragma once

#include <QByteArray>
#include <QString>

// Made-up Wine registry files in the shape wineboot writes them, for tests and benchmarks of the
// registry readers: keys with their "#time=" lines, strings with escapes, dwords, long hex data
// over several lines, str(2) values and 32-bit keys under Wow6432Node.
namespace SampleRegistry {

// A system.reg of `keys` keys ("#arch=win64"); the game's key, naming `installPath`, lies half
// way through. The same bytes every time.
QByteArray WineSystemReg(int keys, const QString& installPath);

}  // namespace SampleRegistry
