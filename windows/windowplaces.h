#pragma once

#include <QList>
#include <QRect>

// Where windows go: the child windows of the frame when they are arranged, and the frame itself
// on the desktop. Plain arithmetic on rectangles, so that it holds for any screen.

// The starts of windows of the given lengths laid one after another along `room` pixels: end to
// end when they fit; else evenly spread so that the last one ends where the room ends; and when
// not even the last one fits, so that the first `keep` pixels of each (its title bar) stay inside.
QList<int> SpreadAlong(const QList<int>& lengths, int room, int keep);

// The place nearest to `window` where its first `keep` pixels from the top (its title bar) lie
// inside `room`: across as far as the window fits, down as far as the title bar does.
QPoint KeptInside(const QRect& window, const QSize& room, int keep);

// Whether a window at `window` can be reached on one of `screens` (their available areas): a
// good part of its top edge, where its title bar is, lies on one of them.
bool Reachable(const QRect& window, const QList<QRect>& screens);
