#include "shell.h"

#include "paths.h"

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
};

ShellService* g_shell = nullptr;

}  // namespace

ShellService& Shell() {
  static DesktopShell desktop;
  return g_shell ? *g_shell : desktop;
}

ShellService* SetShell(ShellService* service) {
  ShellService* previous = g_shell;
  g_shell = service;
  return previous;
}

RecordingShell::RecordingShell() : previous_(SetShell(this)) {}
RecordingShell::~RecordingShell() {
  SetShell(previous_);
}

bool RecordingShell::Open(const QString& fileOrAddress) {
  opened << fileOrAddress;
  return result;
}
