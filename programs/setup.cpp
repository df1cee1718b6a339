#include "commandline.h"
#include "guiplatform.h"
#include "setupdialog.h"
#include "singleinstance.h"
#include "unattended.h"

#include <QApplication>
#include <QDir>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kProgram = u"setup"_s;

const QString kHelp =
    u"Usage: setup [--unattended [--location DIR]]\n"
    u"Installs a program from its install medium: runs the install script VOVIVADU.ZED of the\n"
    u"folder setup is started in.\n"
    u"\n"
    u"Options:\n"
    u"  --unattended     install without a window, into the location the script proposes;\n"
    u"                   every status line and message goes to standard output, and the\n"
    u"                   question whether to update an installation found there answers yes\n"
    u"  --location DIR   with --unattended: install into DIR instead\n"
    u"  -h, --help       show this help and exit\n"
    u"  --version        show the version and exit\n"
    u"\n"
    u"Without options setup opens its window, which proposes the location; OK installs there.\n"
    u"The toolkit's own options (-platform NAME, ...) pass through to the window.\n"
    u"\n"
    u"Exit status:\n"
    u"  0 the installation completed (the window always ends with 0), 1 it did not,\n"
    u"  2 a wrong command line.\n"
    u"\n"
    u"Examples:\n"
    u"  $ cd /media/cdrom && setup\n"
    u"  $ cd /media/cdrom && setup --unattended --location ~/Saltmarch98\n"_s;

// The location of an unattended install, or the usage error its command line is.
struct Unattended {
  QString location;
  QString problem;
};

Unattended ReadUnattended(const QStringList& arguments) {
  Unattended options;
  bool located = false;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == u"--unattended"_s) continue;
    if (argument == u"--location"_s && !located) {
      if (i + 1 == arguments.size()) return {{}, u"--location needs a folder"_s};
      options.location = arguments[++i];
      located = true;
      continue;
    }
    options.problem = argument == u"--location"_s ? u"--location is given twice"_s
                                                   : u"unknown option \"%1\""_s.arg(argument);
    return options;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (const auto status = AnswerAboutItself(kProgram, arguments, kHelp)) return *status;

  if (arguments.contains(u"--unattended"_s)) {
    QCoreApplication app(argc, argv);
    // The application's list holds a location in any script the system's own way.
    const Unattended options = ReadUnattended(app.arguments().mid(1));
    if (!options.problem.isEmpty()) return UsageError(kProgram, options.problem);
#ifdef SIGPIPE
    // A reader that goes away early (setup --unattended | head) must not end the install
    // half-way: the lines are lost, the work goes on.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return RunUnattended(QDir::toNativeSeparators(QDir::currentPath()), options.location, stdout);
  }

  // The window takes no options of its own; the toolkit's (-platform, ...) pass through, and
  // whatever is left once it took them is a mistake.
  ChooseGuiPlatform();
  QApplication app(argc, argv);
  if (const QStringList rest = app.arguments().mid(1); !rest.isEmpty()) {
    return UsageError(kProgram, rest.first() == u"--location"_s
                                    ? u"--location is for --unattended installs"_s
                                    : u"unknown option \"%1\""_s.arg(rest.first()));
  }
  SingleInstance instance;
  if (!instance.Claim()) return 0;
  SetupDlg window;
  QObject::connect(&instance, &SingleInstance::Activate, &window, &SetupDlg::BringToFront);
  window.show();
  app.exec();
  // Whatever happened, setup tells its caller nothing.
  return 0;
}
