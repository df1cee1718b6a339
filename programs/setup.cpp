#include "guiplatform.h"
#include "setupdialog.h"
#include "singleinstance.h"
#include "unattended.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

int Usage() {
  std::fputs(
      "Usage: setup                                  the installer's window\n"
      "       setup --unattended [--location DIR]    install without a window\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool unattended = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Usage();
      return 0;
    }
    if (std::strcmp(argv[i], "--unattended") == 0) unattended = true;
  }

  if (unattended) {
    const char* location = nullptr;
    for (int i = 1; i < argc; ++i) {
      if (std::strcmp(argv[i], "--unattended") == 0) continue;
      if (std::strcmp(argv[i], "--location") == 0 && i + 1 < argc && !location) {
        location = argv[++i];
        continue;
      }
      return Usage();
    }
#ifdef SIGPIPE
    // A reader that goes away early (setup --unattended | head) must not end the install
    // half-way: the lines are lost, the work goes on.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    return RunUnattended(QDir::toNativeSeparators(QDir::currentPath()),
                         location ? QString::fromLocal8Bit(location) : QString(), stdout);
  }

  // The window takes no options of its own; the toolkit's (-platform, ...) pass through.
  ChooseGuiPlatform();
  QApplication app(argc, argv);
  SingleInstance instance;
  if (!instance.Claim()) return 0;
  SetupDlg window;
  QObject::connect(&instance, &SingleInstance::Activate, &window, &SetupDlg::BringToFront);
  window.show();
  app.exec();
  // Whatever happened, setup tells its caller nothing.
  return 0;
}
