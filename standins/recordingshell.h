#pragma once

#include "shell.h"

#include <QStringList>

// Records what would have been opened or started and answers with `result` and `start`, for as
// long as it lives.
class RecordingShell : public ShellService {
 public:
  bool Open(const QString& fileOrAddress) override {
    opened << fileOrAddress;
    return result;
  }
  ProgramStart StartWindowsProgram(const QString& program) override {
    opened << program;
    return start;
  }

  QStringList opened;
  bool result = true;
  ProgramStart start;

 private:
  ServiceSlot<ShellService>::InUse inUse_{ShellSlot(), *this};
};
