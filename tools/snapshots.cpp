// snapshots: renders every window of the editor (and the installer) to PNG files named after
// the window classes, in a fixed demo state on the sample game, without a display.
//   snapshots DIR

#include "aboutfrm.h"
#include "columnmenu.h"
#include "genfuncs.h"
#include "hintform.h"
#include "infs.h"
#include "main.h"
#include "paths.h"
#include "prefs.h"
#include "regacs.h"
#include "resstrings.h"
#include "samplegame.h"
#include "scripteddialogs.h"
#include "smapplication.h"
#include "splash.h"
#include "vehics.h"

#include "betafb.h"
#include "samplemedium.h"
#include "setupdlg.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

namespace {

QString g_out;
int g_written = 0;

void Save(QWidget* widget, const QString& name) {
  widget->show();
  QCoreApplication::processEvents();
  const QString file = QDir(g_out).filePath(name + QStringLiteral(".png"));
  if (widget->grab().save(file)) {
    ++g_written;
    std::printf("%s\n", qPrintable(file));
  } else {
    std::fprintf(stderr, "could not write %s\n", qPrintable(file));
  }
}

// A settings window on its own, as it looks inside the frame.
void SaveSettingsWindow(TUnitSettingsWin* w, const QString& name) {
  w->showNormal();
  Save(w, name);
}

void SaveMenu(TUnitSettingsWin* w, const QString& name) {
  w->B_Select->click();
  QCoreApplication::processEvents();
  Save(w->UnitMenu, name);
  w->UnitMenu->hide();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SmApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: snapshots DIR\n");
    return 2;
  }
  g_out = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(g_out)) {
    std::fprintf(stderr, "could not make %s\n", argv[1]);
    return 1;
  }

  // The demo state: the sample game, found on an earlier run, hints switched on.
  QTemporaryDir work;
  const QString game = work.filePath(QStringLiteral("game"));
  SampleGame::Write(game);
  SampleGame::WriteAnimation(work.filePath(QStringLiteral("sm.dat")));
  SetProgramFolderForTesting(work.path());
  SetRegAccessor(MakeFileRegistry(work.filePath(QStringLiteral("registry"))));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Setup"),
                 QStringLiteral("Completed"));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("Dune2KLoc"),
                 game + QStringLiteral("/"));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, QStringLiteral("BackupLoc"),
                 work.filePath(QStringLiteral("Dune2kBak")));
  ScriptedDialogs quiet;  // no question is asked in this state; any notice is swallowed

  {
    auto* splash = new TF_Splash();
    Save(splash, QStringLiteral("TF_Splash"));
    delete splash;
  }

  TF_Main frame;
  Save(&frame, QStringLiteral("TF_Main"));

  auto* infantry = new TF_Infs(frame.MdiArea());
  SaveSettingsWindow(infantry, QStringLiteral("TF_Infs_Novice"));
  SaveMenu(infantry, QStringLiteral("PMnuInfs"));
  infantry->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  SaveSettingsWindow(infantry, QStringLiteral("TF_Infs_Advanced"));

  auto* vehicles = new TF_Vehics(frame.MdiArea());
  SaveSettingsWindow(vehicles, QStringLiteral("TF_Vehics_Novice"));
  SaveMenu(vehicles, QStringLiteral("PMnuVehics"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  SaveSettingsWindow(vehicles, QStringLiteral("TF_Vehics_Advanced"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emPowerUser);
  SaveSettingsWindow(vehicles, QStringLiteral("TF_HexEdit"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emNovice);

  infantry->SetEditMode(TSaltmarchSettingsWin::emNovice);
  frame.Cascade2->trigger();
  Save(&frame, QStringLiteral("TF_Main_WithWindows"));

  {
    TF_Prefs prefs(&frame);
    Save(&prefs, QStringLiteral("TF_Prefs"));
  }
  {
    TF_About about(&frame);
    Save(&about, QStringLiteral("TF_About"));
  }
  {
    TF_HintForm hint(&frame);
    hint.Hint->setText(HintTexts[1]);
    Save(&hint, QStringLiteral("TF_HintForm"));
  }
  {
    TF_FB feedback(&frame);
    Save(&feedback, QStringLiteral("TF_FB"));
  }
  frame.close();

  // The installer's window on a small medium, after its start-up work.
  SampleMedium::Options medium;
  medium.folder = work.filePath(QStringLiteral("medium"));
  medium.defaultLocation = QStringLiteral("C:\\Saltmarch98");
  // A stand-in for the editor's program keeps the medium small; only the window is pictured.
  const QString program = work.filePath(QStringLiteral("smarch"));
  if (QFile file(program); file.open(QIODevice::WriteOnly)) file.write(QByteArray(4096, 'x'));
  medium.programs = {program};
  if (const QString problem = SampleMedium::Write(medium); problem.isEmpty()) {
    SetupEnvironment environment = SystemEnvironment();
    environment.sourceFolder = medium.folder;
    SetupDlg setup(environment);
    Save(&setup, QStringLiteral("SetupDlg"));
    QCoreApplication::processEvents();
    Save(&setup, QStringLiteral("SetupDlg"));
  } else {
    std::fprintf(stderr, "no installer picture: %s\n", qPrintable(problem));
  }
  SetRegAccessor(nullptr);
  std::printf("%d pictures written\n", g_written);
  return g_written > 0 ? 0 : 1;
}
