// smarch: the Saltmarch 98 editor.

#include "commandline.h"
#include "guiplatform.h"
#include "mainwindow.h"
#include "qtdialogs.h"
#include "registry.h"
#include "smapplication.h"
#include "splash.h"
#include "webpage.h"

#include "feedbackform.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kProgram = u"smarch"_s;

const QString kHelp =
    u"Usage: smarch\n"
    u"The Saltmarch 98 editor of Dune2000's unit statistics: it finds the game (its install key\n"
    u"in the registry, a Wine prefix's system.reg, or a folder you choose), shows one unit at a\n"
    u"time and writes changed records back into the game's data/bin/templates.bin.\n"
    u"\n"
    u"Options:\n"
    u"  -h, --help   show this help and exit\n"
    u"  --version    show the version and exit\n"
    u"The toolkit's own options (-platform NAME, -style NAME, ...) pass through to the windows.\n"
    u"\n"
    u"Environment:\n"
    u"  SALTMARCH_REGISTRY_DIR   the folder of the settings file HKCU.reg (and of an HKLM.reg\n"
    u"                           standing in for the machine's registry)\n"
    u"  WINEPREFIX               the Wine prefix whose system.reg names the installed game\n"
    u"\n"
    u"Examples:\n"
    u"  $ smarch\n"
    u"  $ SALTMARCH_REGISTRY_DIR=~/try smarch\n"
    u"  $ smarch-units locate\n"
    u"The second keeps its settings in ~/try, the third tells where the editor finds the game.\n"_s;

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (const auto status = AnswerAboutItself(kProgram, arguments, kHelp)) return *status;
  // The name tables are ready before anything runs; the registry accessor comes first.
  RegAccessor();
  ChooseGuiPlatform();
  int status = 0;
  {
    SmApplication app(argc, argv);
    // The editor takes no options of its own; what the toolkit did not take is a mistake.
    if (const QStringList rest = app.arguments().mid(1); !rest.isEmpty()) {
      SetRegAccessor(nullptr);
      return UsageError(kProgram, u"unknown option \"%1\""_s.arg(rest.first()));
    }
    QCoreApplication::setApplicationName(QStringLiteral("Saltmarch98"));
    QtDialogs dialogs(ApplicationTitle());
    ServiceSlot<DialogService>::InUse windowDialogs(DialogsSlot(), dialogs);
    // The splash exists before the frame but shows only once the frame's start-up questions
    // have been answered; it releases itself when its closing animation ends.
    auto* splash = new TF_Splash();
    QCoreApplication::processEvents();
    TF_Main frame;
    QObject::connect(&frame, &TF_Main::FeedbackRequested, &frame, [&frame] {
      TF_FB form(&frame);
      form.exec();
    });
    splash->exec();
    frame.show();
    status = app.exec();
  }
  SetRegAccessor(nullptr);
  return status;
}
