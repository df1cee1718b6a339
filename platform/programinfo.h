#pragma once

#include <QString>

// What the program's version block answers: whether there is one, whether its FileVersion
// entry could be queried, and the entry's text.
struct VersionBlock {
  bool present = true;
  bool queried = true;
  QString fileVersion;
};

// What the running program knows about itself and the controls the system draws for it: its
// folder, its version block and the common controls' version. One replaceable service, so that
// a test can place the program in a folder of its own or give it a broken version block.
class ProgramInfoService {
 public:
  virtual ~ProgramInfoService() = default;
  // The program's folder, ending in the separator.
  virtual QString Folder() = 0;
  // The version block compiled into the program.
  virtual VersionBlock Version() = 0;
  // The version of the common controls the toolbars rely on: major number in the high 16 bits,
  // minor in the low ones; 0 when unknown. Off Windows the toolkit draws the controls itself,
  // so the version is always recent enough.
  virtual unsigned CommonControlsVersion() = 0;
};

ProgramInfoService& ProgramInfo();

// The FileVersion text, or "< No Data Available >" without a version block, "Error retrieving
// version info" when the entry can't be queried, "No Version Info" when it is empty.
QString FileVersionText();
ProgramInfoService* SetProgramInfo(ProgramInfoService* service);  // null restores the program's

// Answers with the facts it holds while it lives; they start as the running program's own.
class FixedProgramInfo : public ProgramInfoService {
 public:
  FixedProgramInfo();
  ~FixedProgramInfo() override;
  FixedProgramInfo(const FixedProgramInfo&) = delete;
  FixedProgramInfo& operator=(const FixedProgramInfo&) = delete;

  QString Folder() override;
  VersionBlock Version() override { return version; }
  unsigned CommonControlsVersion() override { return commonControls; }

  QString folder;
  VersionBlock version;
  unsigned commonControls = 0;

 private:
  ProgramInfoService* previous_;
};
