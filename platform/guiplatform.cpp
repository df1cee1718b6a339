#include "guiplatform.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef _WIN32
#include <windows.h>
#endif

void ChooseGuiPlatform() {
#ifdef _WIN32
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
  // Wine's ntdll exports its version; Windows' does not.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("windows:fontengine=freetype"));
  }
#endif
}
