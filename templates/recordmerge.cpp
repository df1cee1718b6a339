#include "recordmerge.h"

RecordMerge MergeRecord(const RawRecord& base, const RawRecord& mine, const RawRecord& theirs) {
  RecordMerge merge;
  for (int at = 0; at < RecordSize; ++at) {
    const bool changedHere = mine[at] != base[at];
    const bool changedThere = theirs[at] != base[at];
    merge.bytes[at] = changedHere ? mine[at] : theirs[at];
    if (changedHere && changedThere && mine[at] != theirs[at]) merge.conflicts.push_back(at);
  }
  return merge;
}

void RecordMerge::KeepTheirs(const RawRecord& theirs) {
  for (int at : conflicts) bytes[at] = theirs[at];
}
