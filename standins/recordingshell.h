#pragma once

#include "shell.h"

#include <QStringList>

// Records what would have been opened and answers with `result`, for as long as it lives.
class RecordingShell : public ShellService {
 public:
  bool Open(const QString& fileOrAddress) override {
    opened << fileOrAddress;
    return result;
  }

  QStringList opened;
  bool result = true;

 private:
  ServiceSlot<ShellService>::InUse inUse_{ShellSlot(), *this};
};
