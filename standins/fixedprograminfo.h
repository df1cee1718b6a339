#pragma once

#include "paths.h"
#include "programinfo.h"

// Answers with the facts it holds for as long as it lives; they start as the running program's
// own.
class FixedProgramInfo : public ProgramInfoService {
 public:
  QString Folder() override { return WithTrailingSeparator(folder); }
  VersionBlock Version() override { return version; }
  unsigned CommonControlsVersion() override { return commonControls; }

  QString folder = ProgramInfo().Folder();
  VersionBlock version = ProgramInfo().Version();
  unsigned commonControls = ProgramInfo().CommonControlsVersion();

 private:
  ServiceSlot<ProgramInfoService>::InUse inUse_{ProgramInfoSlot(), *this};
};
