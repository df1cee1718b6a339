#include "genfuncs.h"

#include "dialogs.h"
#include "resstrings.h"
#include "shell.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
const VersionBlock* g_versionOverride = nullptr;
unsigned g_commonControlsOverride = 0;

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
}  // namespace

unsigned CommonControlsVersion() {
  if (g_commonControlsOverride) return g_commonControlsOverride;
  static const unsigned version = ReadCommonControlsVersion();
  return version;
}

void SetCommonControlsVersionForTesting(unsigned version) {
  g_commonControlsOverride = version;
}

VersionBlock ProgramVersionBlock() {
  if (g_versionOverride) return *g_versionOverride;
  return VersionBlock{true, true, QStringLiteral(SMARCH_FILE_VERSION)};
}

void SetProgramVersionBlockForTesting(const VersionBlock* block) {
  g_versionOverride = block;
}

QString FileVersionText() {
  const VersionBlock block = ProgramVersionBlock();
  if (!block.present) return QStringLiteral("< No Data Available >");
  if (!block.queried) return QStringLiteral("Error retrieving version info");
  // The length the version API reports counts the terminating zero.
  if (block.fileVersion.size() + 1 < 2) return QStringLiteral("No Version Info");
  return block.fileVersion;
}

void OpenWebPage(const QString& address) {
  if (!Shell().Open(address)) {
    ShowMessage(QStringLiteral("Could not open web page. (\"") + address + QStringLiteral("\")"));
  }
}

QString ApplicationTitle() {
  return LoadStr(Str::AppTitle);
}
