#pragma once

#include <QByteArray>
#include <QString>

// A made-up game installation for trying the editor without the game, and for tests:
// data/bin/templates.bin with all unit records up to 0x3C00 and more bytes after them, a
// Dune2000.exe placeholder and the vehicle pictures in data/ui_gfx. The same bytes every time.
namespace SampleGame {

inline constexpr int kRecordCount = 0x3C00 / 256;
inline constexpr int kTrailingBytes = 777;

// The whole templates.bin.
QByteArray TemplatesBin();

// A picture of vehicle `number` (1..16) as the game folder holds it, `width` pixels wide.
QByteArray VehicleBmp(int number, int width = 64);

// Writes the game into `folder` (created when missing). Gives false when a file can't be written.
bool Write(const QString& folder);

// Writes the editor's animation file (an animated GIF) to `path`.
bool WriteAnimation(const QString& path);

}  // namespace SampleGame
