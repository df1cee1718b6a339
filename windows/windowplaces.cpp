#include "windowplaces.h"

#include <algorithm>

QList<int> SpreadAlong(const QList<int>& lengths, int room, int keep) {
  QList<int> starts;
  int end = 0;
  for (int length : lengths) {
    starts << end;
    end += length;
  }
  if (lengths.size() < 2 || end <= room) return starts;
  const int lastStart = room - lengths.back() >= 0 ? room - lengths.back() : room - keep;
  const int steps = int(lengths.size()) - 1;
  for (int i = 0; i < lengths.size(); ++i) starts[i] = std::max(0, lastStart) * i / steps;
  return starts;
}

QPoint KeptInside(const QRect& window, const QSize& room, int keep) {
  const int maxX = std::max(0, room.width() - window.width());
  const int maxY = std::max(0, room.height() - std::min(window.height(), keep));
  return QPoint(std::clamp(window.x(), 0, maxX), std::clamp(window.y(), 0, maxY));
}

bool Reachable(const QRect& window, const QList<QRect>& screens) {
  // Enough of the title bar to take hold of it with the pointer.
  constexpr int kGrip = 40;
  const QRect top(window.left(), window.top(), window.width(), 1);
  const int grip = std::min(kGrip, top.width());
  return std::any_of(screens.begin(), screens.end(),
                     [&top, grip](const QRect& screen) { return (top & screen).width() >= grip; });
}
