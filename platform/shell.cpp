#include "shell.h"

#include "paths.h"
#include "winelaunch.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopShell final : public ShellService {
 public:
  bool Open(const QString& fileOrAddress) override {
    const QString local = ResolveExisting(fileOrAddress);
    const QUrl url =
        local.isEmpty() ? QUrl::fromUserInput(fileOrAddress) : QUrl::fromLocalFile(local);
    return url.isValid() && QDesktopServices::openUrl(url);
  }

  ProgramStart StartWindowsProgram(const QString& program) override {
#ifdef _WIN32
    Open(program);
    return {};
#else
    // The desktop has no launcher for a Windows program here.
    return StartWithWine(program);
#endif
  }
};

}  // namespace

ServiceSlot<ShellService>& ShellSlot() {
  static ServiceSlot<ShellService> slot(std::in_place_type<DesktopShell>);
  return slot;
}
