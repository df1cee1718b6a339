#pragma once

#include "gamefile.h"

#include <QStringList>

// Opens real files but makes the Nth read, write or flush call fail, to drive the error paths
// of code that reads and writes game files. Counts are shared by all files it opens.
struct FailurePlan {
  int failReadAt = 0;  // 1 = the first read fails; 0 = never
  int failWriteAt = 0;
  bool failFlush = false;
  bool failClose = false;
  int reads = 0, writes = 0, opens = 0, closes = 0;
  QList<qint64> writeOffsets;  // where each successful write went
  QList<FileAccess> accesses;  // the access of every open
};

FileOpener FailingOpener(FailurePlan& plan);
