#pragma once

#include "rangeerror.h"

#include <array>
#include <initializer_list>

// A fixed table numbered 1..N, as the game and the user count units. An index outside the
// bounds raises ERangeError with the range message instead of touching memory.
template <typename T, int N>
class OneBased {
 public:
  OneBased() = default;
  OneBased(std::initializer_list<T> items) {
    int i = 0;
    for (const T& item : items) {
      if (i < N) slots_[i++] = item;
    }
  }

  static constexpr int Count() { return N; }
  static bool InRange(int i) { return i >= 1 && i <= N; }

  T& operator[](int i) { return slots_[Checked(i)]; }
  const T& operator[](int i) const { return slots_[Checked(i)]; }

  auto begin() { return slots_.begin(); }
  auto end() { return slots_.end(); }
  auto begin() const { return slots_.begin(); }
  auto end() const { return slots_.end(); }

 private:
  static int Checked(int i) {
    if (!InRange(i)) throw ERangeError(RangeMessage(i, N));
    return i - 1;
  }
  std::array<T, N> slots_{};
};
