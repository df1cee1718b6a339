#pragma once

#include "unitlayout.h"

#include <array>
#include <cstdint>
#include <vector>

using RawRecord = std::array<std::uint8_t, RecordSize>;

// Putting one's own edit of a record on top of what another program wrote meanwhile, byte by
// byte. `base` is the record as it was read, `mine` the record as edited here, `theirs` the
// record as it is in the file now.
struct RecordMerge {
  // Every byte changed here (base != mine) from mine, every other byte from theirs. Where both
  // sides changed a byte to different values, mine is taken; KeepTheirs turns that round.
  RawRecord bytes{};
  // The offsets (0..255) of the bytes both sides changed to different values.
  std::vector<int> conflicts;

  // Takes theirs on every conflicting byte.
  void KeepTheirs(const RawRecord& theirs);
  bool Changes(const RawRecord& theirs) const { return bytes != theirs; }
};

RecordMerge MergeRecord(const RawRecord& base, const RawRecord& mine, const RawRecord& theirs);
