// The units table at work in a running editor on the sample game, with the table and two
// settings windows open: one value changed through the document reaching all three (and
// painted), sorting by a column, and a paste of all 28 x 12 cells checked and made.
//   build/release/bench/unitstable_bench

#include "infantrywindow.h"
#include "mainwindow.h"
#include "registry.h"
#include "registrykeys.h"
#include "saltmarch.h"
#include "samplegame.h"
#include "scripteddialogs.h"
#include "tableclipboard.h"
#include "unitdocument.h"
#include "unitstablemodel.h"
#include "unitstablewindow.h"
#include "vehicleswindow.h"

#include <QApplication>
#include <QDir>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include <benchmark/benchmark.h>

namespace {

// The editor with the table, the infantry window and the vehicles window open.
struct Editor {
  Editor() {
    SampleGame::Write(work.filePath(QStringLiteral("game")));
    SetRegAccessor(MakeFileRegistry(work.filePath(QStringLiteral("registry"))));
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kSetupValue, kSetupCompleted);
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kGameFolderValue,
                   QDir::toNativeSeparators(work.filePath(QStringLiteral("game")) + u'/'));
    RegWriteString(RegRoot::CurrentUser, kOwnKey, kBackupFolderValue,
                   QDir::toNativeSeparators(work.filePath(QStringLiteral("backup"))));
    frame = std::make_unique<TF_Main>();
    frame->show();
    new TF_Infs(frame->MdiArea());
    new TF_Vehics(frame->MdiArea());
    frame->A_UnitsTable->trigger();
    table = frame->findChild<TF_UnitsTable*>();
    QCoreApplication::processEvents();
  }
  ~Editor() {
    frame.reset();
    SetRegAccessor(nullptr);
  }
  QTemporaryDir work;
  ScriptedDialogs quiet;
  std::unique_ptr<TF_Main> frame;
  TF_UnitsTable* table = nullptr;
};

Editor* editor = nullptr;

void BM_ChangeReachesTableAndTwoWindows(benchmark::State& state) {
  TUnitsTableModel& model = *editor->table->Model();
  QUndoStack& history = *SaltmarchApp->Document->UndoStack();
  const int row = TUnitsTableModel::RowOf(ukInfantry, 1);
  const std::int64_t health = model.Value(row, TUnitsTableModel::ColHealth);
  for (auto _ : state) {
    model.SetValues({{row, TUnitsTableModel::ColHealth, health + 1}}, QStringLiteral("Edit"));
    QCoreApplication::processEvents();  // the views repaint what changed
    history.undo();
    QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ChangeReachesTableAndTwoWindows)->Unit(benchmark::kMicrosecond);

void BM_SortByAColumn(benchmark::State& state) {
  QTableView& view = *editor->table->Table();
  bool ascending = true;
  for (auto _ : state) {
    view.sortByColumn(TUnitsTableModel::ColHealth,
                      ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    ascending = !ascending;
  }
}
BENCHMARK(BM_SortByAColumn)->Unit(benchmark::kMicrosecond);

void BM_PasteAllCells(benchmark::State& state) {
  TUnitsTableModel& model = *editor->table->Model();
  QUndoStack& history = *SaltmarchApp->Document->UndoStack();
  CellArea all;
  for (int row = 0; row < model.rowCount(); ++row) all.rows.push_back(row);
  for (int column = 0; column < model.columnCount(); ++column) all.columns.push_back(column);
  // Every number one higher, as a spreadsheet would give it back after a change.
  QList<QStringList> cells = ParseTabText(CellsAsTabText(model, all));
  for (qsizetype r = 1; r < cells.size(); ++r) {
    for (qsizetype c = 1; c <= TUnitsTableModel::ColSight + 1; ++c) {
      cells[r][c] = QString::number(cells[r][c].toLongLong() + (cells[r][c] == u"0" ? 1 : -1));
    }
  }
  for (auto _ : state) {
    const PastePlan plan = PlanPaste(model, cells, all, all);
    if (!plan.error.isEmpty()) state.SkipWithError(qPrintable(plan.error));
    model.SetValues(plan.values, QStringLiteral("Paste"));
    state.PauseTiming();
    history.undo();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 28 * 12);
}
BENCHMARK(BM_PasteAllCells)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Editor running;
  editor = &running;
  benchmark::RunSpecifiedBenchmarks();
  editor = nullptr;
  return 0;
}
