#include "windowset.h"

#include "aboutfrm.h"
#include "columnmenu.h"
#include "fixedprograminfo.h"
#include "hintform.h"
#include "infantrywindow.h"
#include "mainwindow.h"
#include "paths.h"
#include "prefs.h"
#include "programinfo.h"
#include "registrykeys.h"
#include "samplegame.h"
#include "scripteddialogs.h"
#include "splash.h"
#include "stringtable.h"
#include "unitdocument.h"
#include "unitstablemodel.h"
#include "unitstablewindow.h"
#include "vehicleswindow.h"
#include "webpage.h"

#include "feedbackform.h"
#include "samplemedium.h"
#include "setupdialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

void Show(const WindowVisitor& visit, QWidget* widget, const QString& name) {
  widget->show();
  QCoreApplication::processEvents();
  visit(name, widget);
}

// A settings window on its own, as it looks inside the frame.
void ShowSettingsWindow(const WindowVisitor& visit, TUnitSettingsWin* w, const QString& name) {
  w->showNormal();
  Show(visit, w, name);
}

void ShowMenu(const WindowVisitor& visit, TUnitSettingsWin* w, const QString& name) {
  w->B_Select->click();
  QCoreApplication::processEvents();
  Show(visit, w->UnitMenu, name);
  w->UnitMenu->hide();
}

// The units table after a backup, with two values applied since and two more saved only: two
// values marked as differing from the backup, two of them bold as well.
void ShowUnitsTable(const WindowVisitor& visit, TF_Main& frame) {
  SaltmarchApp->BackupGameFile();
  auto* table = new TF_UnitsTable(frame.MdiArea());
  TUnitsTableModel& model = *table->Model();
  const auto cell = [&model](std::uint8_t kind, int unit, int column, int change) {
    const int row = TUnitsTableModel::RowOf(kind, unit);
    return TUnitsTableModel::CellValue{row, column, model.Value(row, column) + change};
  };
  model.SetValues({cell(ukVehicle, 1, TUnitsTableModel::ColHealth, 50),
                   cell(ukVehicle, 11, TUnitsTableModel::ColCost, -100)},
                  QStringLiteral("Demo"));
  SaltmarchApp->Document->ApplyChanges();
  table->RefreshOriginals();
  model.SetValues({cell(ukInfantry, 2, TUnitsTableModel::ColArmor, 1),
                   cell(ukVehicle, 11, TUnitsTableModel::ColHealth, 100)},
                  QStringLiteral("Demo"));
  table->Table()->selectRow(TUnitsTableModel::RowOf(ukVehicle, 11));
  table->showNormal();
  Show(visit, table, QStringLiteral("TF_UnitsTable"));
  table->close();
}

void VisitEditorWindows(const WindowVisitor& visit) {
  {
    auto* splash = new TF_Splash();
    Show(visit, splash, QStringLiteral("TF_Splash"));
    delete splash;
  }

  TF_Main frame;
  Show(visit, &frame, QStringLiteral("TF_Main"));

  auto* infantry = new TF_Infs(frame.MdiArea());
  ShowSettingsWindow(visit, infantry, QStringLiteral("TF_Infs_Novice"));
  ShowMenu(visit, infantry, QStringLiteral("PMnuInfs"));
  infantry->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  ShowSettingsWindow(visit, infantry, QStringLiteral("TF_Infs_Advanced"));

  auto* vehicles = new TF_Vehics(frame.MdiArea());
  ShowSettingsWindow(visit, vehicles, QStringLiteral("TF_Vehics_Novice"));
  ShowMenu(visit, vehicles, QStringLiteral("PMnuVehics"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emAdvanced);
  ShowSettingsWindow(visit, vehicles, QStringLiteral("TF_Vehics_Advanced"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emPowerUser);
  ShowSettingsWindow(visit, vehicles, QStringLiteral("TF_HexEdit"));
  vehicles->SetEditMode(TSaltmarchSettingsWin::emNovice);

  infantry->SetEditMode(TSaltmarchSettingsWin::emNovice);
  frame.Cascade2->trigger();
  Show(visit, &frame, QStringLiteral("TF_Main_WithWindows"));
  ShowUnitsTable(visit, frame);

  {
    TF_Prefs prefs(&frame);
    Show(visit, &prefs, QStringLiteral("TF_Prefs"));
  }
  {
    TF_About about(&frame);
    Show(visit, &about, QStringLiteral("TF_About"));
  }
  {
    TF_HintForm hint(&frame);
    hint.Hint->setText(HintTexts[1]);
    Show(visit, &hint, QStringLiteral("TF_HintForm"));
  }
  {
    TF_FB feedback(&frame);
    Show(visit, &feedback, QStringLiteral("TF_FB"));
  }
  frame.close();
}

// The installer's window on a small medium, after its start-up work.
QString VisitInstaller(const WindowVisitor& visit, const QString& work) {
  SampleMedium::Options medium;
  medium.folder = work + QStringLiteral("/medium");
  medium.defaultLocation = QStringLiteral("C:\\Saltmarch98");
  // A stand-in for the editor's program keeps the medium small; only the window is pictured.
  const QString program = work + QStringLiteral("/smarch");
  if (QFile file(program); file.open(QIODevice::WriteOnly)) file.write(QByteArray(4096, 'x'));
  medium.programs = {program};
#ifdef _WIN32
  medium.mscompress.clear();  // no compressor on Windows; the window looks the same
#endif
  if (QString problem = SampleMedium::Write(medium); !problem.isEmpty()) return problem;
  SetupEnvironment environment = SystemEnvironment();
  environment.sourceFolder = QDir::toNativeSeparators(medium.folder);
  SetupDlg setup(environment);
  // Showing it runs its start-up work (queued by the first show), so one picture has it all.
  Show(visit, &setup, QStringLiteral("SetupDlg"));
  return QString();
}

}  // namespace

QString VisitDemoWindows(const WindowVisitor& visit) {
  // The demo state: the sample game, found on an earlier run, hints switched on.
  QTemporaryDir work;
  const QString game = work.filePath(QStringLiteral("game"));
  SampleGame::Write(game);
  SampleGame::WriteAnimation(work.filePath(QStringLiteral("sm.dat")));
  FixedProgramInfo program;
  program.folder = work.path();
  SetRegAccessor(MakeFileRegistry(work.filePath(QStringLiteral("registry"))));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
  // Folders as the editor stores them: in the system's own form.
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue,
                 QDir::toNativeSeparators(game + QStringLiteral("/")));
  RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue,
                 QDir::toNativeSeparators(work.filePath(QStringLiteral("Dune2kBak"))));
  QString problem;
  {
    ScriptedDialogs quiet;  // no question is asked in this state; any notice is swallowed
    VisitEditorWindows(visit);
    problem = VisitInstaller(visit, work.path());
  }
  SetRegAccessor(nullptr);
  return problem;
}
