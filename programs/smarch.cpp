// smarch: the Saltmarch 98 editor.

#include "guiplatform.h"
#include "mainwindow.h"
#include "qtdialogs.h"
#include "registry.h"
#include "smapplication.h"
#include "splash.h"
#include "webpage.h"

#include "feedbackform.h"

int main(int argc, char** argv) {
  // The name tables are ready before anything runs; the registry accessor comes first.
  RegAccessor();
  ChooseGuiPlatform();
  int status = 0;
  {
    SmApplication app(argc, argv);
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
