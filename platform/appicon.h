#pragma once

#include <QIcon>
#include <QImage>

// The programs' own icon, drawn here rather than loaded so that it needs no image plugin: a
// desert dune under a sun, on a dark blue tile. `AppIconImage` draws one size of it.
QImage AppIconImage(int size);
QIcon AppIcon();
