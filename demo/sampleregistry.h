#pragma once

#include <QByteArray>
#include <QString>

// Made-up Wine registry files in the shape wineboot writes them, for tests and benchmarks of the
// registry readers: keys with their "#time=" lines, strings with escapes, dwords, long hex data
// over several lines, str(2) values and 32-bit keys under Wow6432Node.
namespace SampleRegistry {

// The game's key in the 32-bit view, as a 32-bit installer in a 64-bit prefix writes it.
inline const QString kGameKey = QStringLiteral("Software\\Wow6432Node\\Westwood\\Dune 2000");

// A system.reg of `keys` keys ("#arch=win64"); the game's key, naming `installPath`, lies half
// way through. The same bytes every time.
QByteArray WineSystemReg(int keys, const QString& installPath);

}  // namespace SampleRegistry
