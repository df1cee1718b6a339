#include "programinfo.h"

#include "paths.h"

#include <QCoreApplication>
#include <QDir>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

unsigned ReadCommonControlsVersion() {
#ifdef _WIN32
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(L"comctl32.dll", &handle);
  if (size == 0) return 0;
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(L"comctl32.dll", 0, size, block.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length)) return 0;
  return info->dwFileVersionMS;
#else
  return 0x00060000;
#endif
}

class RunningProgram : public ProgramInfoService {
 public:
  QString Folder() override {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) dir = QDir::currentPath();
    return WithTrailingSeparator(QDir::toNativeSeparators(dir));
  }
  VersionBlock Version() override {
    return VersionBlock{true, true, QStringLiteral(SMARCH_FILE_VERSION)};
  }
  unsigned CommonControlsVersion() override {
    // Read once and kept.
    static const unsigned version = ReadCommonControlsVersion();
    return version;
  }
};

}  // namespace

ServiceSlot<ProgramInfoService>& ProgramInfoSlot() {
  static ServiceSlot<ProgramInfoService> slot(std::in_place_type<RunningProgram>);
  return slot;
}

QString FileVersionText() {
  const VersionBlock block = ProgramInfo().Version();
  if (!block.present) return QStringLiteral("< No Data Available >");
  if (!block.queried) return QStringLiteral("Error retrieving version info");
  // The length the version API reports counts the terminating zero.
  if (block.fileVersion.size() + 1 < 2) return QStringLiteral("No Version Info");
  return block.fileVersion;
}
