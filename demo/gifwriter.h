#pragma once

#include <QImage>
#include <QString>

#include <vector>

// Writes an animated, endlessly looping GIF. Qt reads GIF but has no writer. Colours are mapped
// onto a fixed 6 x 7 x 6 colour cube; fully transparent pixels become the transparent colour.
// `delay` is the time each frame stays, in hundredths of a second.
bool WriteAnimatedGif(const QString& path, const std::vector<QImage>& frames, int delay);
