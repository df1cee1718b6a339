#include "appfixture.h"

#include "bulkchange.h"
#include "originalrecords.h"
#include "stringtable.h"
#include "tableclipboard.h"
#include "unitdocument.h"
#include "unitstablemodel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QUndoStack>

namespace {

using M = TUnitsTableModel;

// The application object on the sample game with its infantry read (its vehicles not yet), and
// the table over its document, watched by Qt's model checker throughout.
class UnitsTable : public RunningApp {
 protected:
  void SetUp() override {
    RunningApp::SetUp();
    app->Store->LoadInfantry();
    model = std::make_unique<M>(*app->Document);
    tester = std::make_unique<QAbstractItemModelTester>(
        model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }

  TUnitTemplate Unit(std::uint8_t kind, int i) const {
    TUnitTemplate u;
    app->Store->GetUnit(kind, i, u);
    return u;
  }
  QModelIndex Cell(std::uint8_t kind, int i, int column) const {
    return model->index(M::RowOf(kind, i), column);
  }
  bool Set(std::uint8_t kind, int i, int column, const QVariant& value) {
    return model->setData(Cell(kind, i, column), value);
  }
  QUndoStack& Stack() const { return *app->Document->UndoStack(); }

  std::unique_ptr<M> model;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(UnitsTable, RowsAreTheUnitsByNameInfantryFirst) {
  ASSERT_EQ(model->rowCount(), InfantryCount + VehicleCount);
  EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), UnitName(ukInfantry, 1));
  EXPECT_EQ(model->headerData(InfantryCount, Qt::Vertical).toString(), UnitName(ukVehicle, 1));
  EXPECT_EQ(model->headerData(model->rowCount() - 1, Qt::Vertical).toString(),
            UnitName(ukVehicle, VehicleCount));
  // Each row shows its own unit's record.
  EXPECT_EQ(model->data(Cell(ukInfantry, 3, M::ColCost)).toLongLong(), Unit(ukInfantry, 3).Cost);
}

TEST_F(UnitsTable, AnEditIsOneStepThatReachesTheStoreAndReportsNothing) {
  const std::int32_t cost = Unit(ukInfantry, 1).Cost;
  ASSERT_TRUE(Set(ukInfantry, 1, M::ColCost, cost + 5));
  EXPECT_EQ(Unit(ukInfantry, 1).Cost, cost + 5);
  EXPECT_EQ(model->data(Cell(ukInfantry, 1, M::ColCost)).toLongLong(), cost + 5);
  EXPECT_TRUE(app->Store->HasUnappliedChanges());
  EXPECT_EQ(Stack().count(), 1);
  EXPECT_EQ(Stack().undoText(), QStringLiteral("Edit Cost of ") + UnitName(ukInfantry, 1));
  // A cell edit raises no box, unlike a window's Save.
  EXPECT_TRUE(dialogs.log.empty());

  Stack().undo();
  EXPECT_EQ(model->data(Cell(ukInfantry, 1, M::ColCost)).toLongLong(), cost);
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
  Stack().redo();
  EXPECT_EQ(model->data(Cell(ukInfantry, 1, M::ColCost)).toLongLong(), cost + 5);

  // A house is a check box; unticking it takes only that house away.
  const TUnitTemplate before = Unit(ukInfantry, 2);
  const Qt::CheckState flipped = before.HasOwner(hOrdos) ? Qt::Unchecked : Qt::Checked;
  ASSERT_TRUE(model->setData(Cell(ukInfantry, 2, M::ColOrdos), flipped, Qt::CheckStateRole));
  EXPECT_EQ(Unit(ukInfantry, 2).Owners, before.Owners ^ (1u << hOrdos));
  EXPECT_EQ(model->data(Cell(ukInfantry, 2, M::ColOrdos), Qt::CheckStateRole), flipped);
  EXPECT_EQ(Stack().count(), 2);
  Stack().undo();
  EXPECT_EQ(Unit(ukInfantry, 2).Owners, before.Owners);
}

TEST_F(UnitsTable, ARefusedValueChangesNothing) {
  app->Store->LoadVehicles();
  const QByteArray file = game.TemplatesBytes();
  const TUnitTemplate before = Unit(ukInfantry, 1);
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColSight, 8));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColBuildSpeed, 256));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColBuildSpeed, -1));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColHealth, qlonglong(1) << 31));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColHealth, QStringLiteral("lots")));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColHealth, 12.5));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColHealth, QVariant()));
  EXPECT_FALSE(model->setData(Cell(ukInfantry, 1, M::ColAtreides), 7, Qt::CheckStateRole));
  // A number is no check box's value, and a check state no number's.
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColAtreides, 1));
  EXPECT_FALSE(model->setData(Cell(ukInfantry, 1, M::ColCost), Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(Unit(ukInfantry, 1), before);
  EXPECT_FALSE(Stack().canUndo());
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
  EXPECT_EQ(game.TemplatesBytes(), file);

  // Text as a spreadsheet or an editor gives it is a number all the same.
  EXPECT_TRUE(Set(ukInfantry, 1, M::ColHealth, QStringLiteral(" 250 ")));
  EXPECT_EQ(Unit(ukInfantry, 1).Health, 250);
}

TEST_F(UnitsTable, InfantryArmorStopsAtSevenAsInTheWindowsVehicleArmorDoesNot) {
  app->Store->LoadVehicles();
  EXPECT_TRUE(Set(ukInfantry, 1, M::ColArmor, 7));
  EXPECT_FALSE(Set(ukInfantry, 1, M::ColArmor, 8));
  EXPECT_TRUE(Set(ukVehicle, 1, M::ColArmor, 200));
  EXPECT_EQ(Unit(ukVehicle, 1).Armor, 200);
  EXPECT_EQ(Unit(ukInfantry, 1).Armor, 7);
}

TEST_F(UnitsTable, UnitsNotReadAreShownButNotEditable) {
  // The fixture read no vehicle.
  const QModelIndex tank = Cell(ukVehicle, 4, M::ColHealth);
  EXPECT_FALSE(model->flags(tank) & Qt::ItemIsEditable);
  EXPECT_FALSE(model->flags(Cell(ukVehicle, 4, M::ColOrdos)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(model->setData(tank, 100));
  EXPECT_FALSE(model->setData(Cell(ukVehicle, 4, M::ColOrdos), Qt::Checked, Qt::CheckStateRole));
  EXPECT_FALSE(Stack().canUndo());
  EXPECT_TRUE(model->flags(Cell(ukInfantry, 4, M::ColHealth)) & Qt::ItemIsEditable);
}

TEST_F(UnitsTable, FollowsSavesAndReloadsOfTheDocument) {
  QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
  TUnitTemplate u = Unit(ukInfantry, 5);
  u.Health = 4242;
  app->Document->SaveUnit(ukInfantry, 5, u);
  ASSERT_EQ(changed.size(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex().row(), M::RowOf(ukInfantry, 5));
  EXPECT_EQ(changed[0][1].toModelIndex().row(), M::RowOf(ukInfantry, 5));
  EXPECT_EQ(model->data(Cell(ukInfantry, 5, M::ColHealth)).toLongLong(), 4242);

  // After a restore the units must be read again before they can be edited.
  QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
  app->ResetSettingsInMemory();
  EXPECT_EQ(reset.size(), 1);
  EXPECT_FALSE(model->flags(Cell(ukInfantry, 5, M::ColHealth)) & Qt::ItemIsEditable);
  EXPECT_FALSE(Set(ukInfantry, 5, M::ColHealth, 1));
}

TEST_F(UnitsTable, SortingOrdersNumbersNotText) {
  ASSERT_TRUE(Set(ukInfantry, 1, M::ColHealth, 10));
  ASSERT_TRUE(Set(ukInfantry, 2, M::ColHealth, 9));
  ASSERT_TRUE(Set(ukInfantry, 3, M::ColHealth, 100));
  QSortFilterProxyModel proxy;
  proxy.setSourceModel(model.get());
  proxy.sort(M::ColHealth);
  const auto position = [&](int i) {
    return proxy.mapFromSource(Cell(ukInfantry, i, M::ColHealth)).row();
  };
  EXPECT_LT(position(2), position(1));
  EXPECT_LT(position(1), position(3));

  // Check boxes sort too: every unchecked unit before every checked one.
  ASSERT_TRUE(model->setData(Cell(ukInfantry, 4, M::ColSelfHeal), Qt::Checked, Qt::CheckStateRole));
  ASSERT_TRUE(
      model->setData(Cell(ukInfantry, 5, M::ColSelfHeal), Qt::Unchecked, Qt::CheckStateRole));
  proxy.setSortRole(M::SortRole);
  proxy.sort(M::ColSelfHeal);
  EXPECT_LT(proxy.mapFromSource(Cell(ukInfantry, 5, M::ColSelfHeal)).row(),
            proxy.mapFromSource(Cell(ukInfantry, 4, M::ColSelfHeal)).row());
}

TEST_F(UnitsTable, MarksValuesSavedNotAppliedAndThoseThatDifferFromTheOriginals) {
  app->Store->LoadVehicles();
  const QModelIndex health = Cell(ukVehicle, 2, M::ColHealth);
  const std::int32_t original = Unit(ukVehicle, 2).Health;
  ASSERT_TRUE(Set(ukVehicle, 2, M::ColHealth, original + 1));
  EXPECT_TRUE(model->data(health, M::UnappliedRole).toBool());
  EXPECT_TRUE(model->data(health, Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(model->data(Cell(ukVehicle, 2, M::ColCost), M::UnappliedRole).toBool());
  // Without a backup nothing tells the originals: the file's values stand in for them.
  EXPECT_FALSE(model->data(health, M::OriginalRole).isValid());
  EXPECT_EQ(model->ChangedCount(), 1);

  // The game as its backup holds it: one more value differs there.
  UnitRecords originals;
  for (int row = 0; row < model->rowCount(); ++row) {
    app->Store->GetUnit(M::KindOfRow(row), M::UnitOfRow(row), originals[size_t(row)]);
  }
  originals[size_t(M::RowOf(ukVehicle, 2))].Health = original;
  originals[size_t(M::RowOf(ukVehicle, 3))].Sight = Unit(ukVehicle, 3).Sight + 1;
  model->SetOriginals(originals);
  EXPECT_EQ(model->data(health, M::OriginalRole).toLongLong(), original);
  EXPECT_EQ(model->data(health, Qt::ToolTipRole).toString(),
            QStringLiteral("Original: %1\nSaved, Not Yet Applied").arg(original));
  EXPECT_EQ(model->ChangedCount(), 2);
  EXPECT_EQ(model->UnappliedCount(), 1);

  QSignalSpy counts(model.get(), &M::CountsChanged);
  app->Document->ApplyChanges();
  EXPECT_FALSE(counts.isEmpty());
  EXPECT_FALSE(model->data(health, M::UnappliedRole).toBool());
  EXPECT_FALSE(model->data(health, Qt::FontRole).isValid());
  EXPECT_EQ(model->UnappliedCount(), 0);
  EXPECT_EQ(model->ChangedCount(), 2);
}

TEST_F(UnitsTable, ManyCellsOfManyUnitsAreOneStepAndUnreadUnitsAreLeftOut) {
  const TUnitTemplate first = Unit(ukInfantry, 1);
  const TUnitTemplate second = Unit(ukInfantry, 2);
  model->SetValues({{M::RowOf(ukInfantry, 1), M::ColHealth, 11},
                    {M::RowOf(ukInfantry, 1), M::ColCost, 12},
                    {M::RowOf(ukInfantry, 2), M::ColOrdos, !second.HasOwner(hOrdos)},
                    {M::RowOf(ukVehicle, 1), M::ColHealth, 13}},
                   QStringLiteral("Paste"));
  EXPECT_EQ(Unit(ukInfantry, 1).Health, 11);
  EXPECT_EQ(Unit(ukInfantry, 1).Cost, 12);
  EXPECT_NE(Unit(ukInfantry, 2).Owners, second.Owners);
  EXPECT_EQ(Stack().count(), 1);
  Stack().undo();
  EXPECT_EQ(Unit(ukInfantry, 1), first);
  EXPECT_EQ(Unit(ukInfantry, 2), second);
}

TEST_F(UnitsTable, AllFieldsAddColumnsThatAreReadNeverChanged) {
  model->SetShowAllFields(true);
  ASSERT_GT(model->columnCount(), int(M::ColumnCount));
  int byte40 = -1;
  for (int column = M::ColumnCount; column < model->columnCount(); ++column) {
    if (model->headerData(column, Qt::Horizontal).toString() == QStringLiteral("Byte40")) {
      byte40 = column;
    }
    EXPECT_FALSE(model->flags(Cell(ukInfantry, 1, column)) & Qt::ItemIsEditable);
  }
  ASSERT_GE(byte40, 0);
  EXPECT_EQ(model->data(Cell(ukInfantry, 1, byte40)).toString(),
            QString::number(Unit(ukInfantry, 1).Byte40));
  EXPECT_FALSE(Set(ukInfantry, 1, byte40, 1));
  model->SetShowAllFields(false);
  EXPECT_EQ(model->columnCount(), int(M::ColumnCount));
}

TEST_F(UnitsTable, ABackupThatIsNoGameFileGivesNoOriginals) {
  EXPECT_FALSE(ReadOriginalRecords(QString()));
  EXPECT_FALSE(ReadOriginalRecords(BackupFile()));  // none made yet
  ASSERT_TRUE(app->BackupGameFile());
  const auto read = ReadOriginalRecords(BackupFile());
  ASSERT_TRUE(read);
  EXPECT_EQ((*read)[size_t(M::RowOf(ukInfantry, 3))].Health, Unit(ukInfantry, 3).Health);
  QFile cut(BackupFile());
  ASSERT_TRUE(cut.resize(TemplatesTableSize() - 1));
  EXPECT_FALSE(ReadOriginalRecords(BackupFile()));
}

// ---- spreadsheets and typed changes ----

CellArea WholeTable(const M& model) {
  CellArea area;
  for (int row = 0; row < model.rowCount(); ++row) area.rows.push_back(row);
  for (int column = 0; column < model.columnCount(); ++column) area.columns.push_back(column);
  return area;
}

TEST_F(UnitsTable, SpreadsheetTextIsReadAsCalcAndExcelWriteIt) {
  // LibreOffice Calc: LF line ends, a quoted cell holding a line break and a quote.
  EXPECT_EQ(ParseTabText(QStringLiteral("Unit\tHealth\n\"Two\nlines \"\"x\"\"\"\t5\n")),
            (QList<QStringList>{{QStringLiteral("Unit"), QStringLiteral("Health")},
                                {QStringLiteral("Two\nlines \"x\""), QStringLiteral("5")}}));
  // Excel: CRLF after every line, empty cells kept; a lone CR ends a line too.
  EXPECT_EQ(ParseTabText(QStringLiteral("1,500\t\r\nTRUE\tx\ry")),
            (QList<QStringList>{{QStringLiteral("1,500"), QString()},
                                {QStringLiteral("TRUE"), QStringLiteral("x")},
                                {QStringLiteral("y")}}));
  EXPECT_TRUE(ParseTabText(QString()).isEmpty());
}

TEST_F(UnitsTable, CopiedCellsPastedBackAreNoChangeWhateverTheOrder) {
  app->Store->LoadVehicles();
  model->SetShowAllFields(true);
  const QString copied = CellsAsTabText(*model, WholeTable(*model));
  EXPECT_TRUE(CellsAsHtml(*model, WholeTable(*model)).contains(QStringLiteral("<th>Health</th>")));
  model->SetShowAllFields(false);
  // Pasted anywhere: with its header and the units' names it finds its own cells.
  CellArea somewhere{{5}, {3}};
  const PastePlan plan = PlanPaste(*model, ParseTabText(copied), somewhere, WholeTable(*model));
  ASSERT_EQ(plan.error, QString());
  model->SetValues(plan.values, QStringLiteral("Paste"));
  EXPECT_FALSE(Stack().canUndo());
}

TEST_F(UnitsTable, APasteIsCheckedWholeBeforeAnythingChanges) {
  app->Store->LoadVehicles();
  const CellArea table = WholeTable(*model);
  const CellArea trikeHealth{{M::RowOf(ukVehicle, 1)}, {M::ColHealth}};
  const auto plan = [&](const QString& text, const CellArea& at) {
    return PlanPaste(*model, ParseTabText(text), at, table);
  };
  // Excel's text: numbers with thousands separators, booleans in capitals.
  PastePlan good = plan(QStringLiteral("1,500\t300\r\n"), trikeHealth);
  ASSERT_EQ(good.error, QString());
  EXPECT_EQ(good.values.size(), 2u);
  EXPECT_EQ(good.values[0].value, 1500);
  EXPECT_EQ(plan(QStringLiteral("Inaccurate\r\nTRUE\r\nfalse\r\n"), trikeHealth).values.size(), 2u);

  EXPECT_EQ(plan(QStringLiteral("1\t2\r\n3\tlots\r\n"), trikeHealth).error,
            QStringLiteral("Raider, Cost: \"lots\" is not a whole number"));
  EXPECT_EQ(plan(QStringLiteral("Unit\tSight\r\nTroopers\t8\r\n"), trikeHealth).error,
            QStringLiteral("Troopers, Sight: 8 is outside the field's range 0..7"));
  EXPECT_EQ(plan(QStringLiteral("Unit\tSpeed\r\nTrike\t8\r\n"), trikeHealth).error,
            QStringLiteral("No column is called \"Speed\""));
  EXPECT_EQ(plan(QStringLiteral("1\t0\t1\t0\r\n"), CellArea{{0}, {M::ColAtreides}}).error,
            QStringLiteral("The pasted cells reach beyond the table's last column"));
  EXPECT_EQ(plan(QStringLiteral("1\t2\r\n3\r\n"), trikeHealth).error,
            QStringLiteral("Line 2 of the pasted text has 1 cells where the first has 2"));
  EXPECT_EQ(plan(QString(), trikeHealth).error, QStringLiteral("There is nothing to paste"));

  // One value onto many selected cells fills each of them.
  const CellArea three{{0, 2, 4}, {M::ColCost}};
  const PastePlan fill = plan(QStringLiteral("99\r\n"), three);
  ASSERT_EQ(fill.values.size(), 3u);
  EXPECT_EQ(fill.values[2].row, 4);
  EXPECT_EQ(fill.values[2].value, 99);
}

TEST(BulkChange, TypedChangesAreReadRoundedAndNeverGuessed) {
  const auto apply = [](const char* text, std::int64_t value) -> std::optional<std::int64_t> {
    const auto change = ParseBulkChange(QString::fromLatin1(text));
    return change ? std::optional(ApplyBulkChange(*change, value)) : std::nullopt;
  };
  EXPECT_EQ(apply("+20%", 1000), 1200);
  EXPECT_EQ(apply("-5%", 10), 10);  // 9.5 rounds away from zero
  EXPECT_EQ(apply("-5", 10), 5);
  EXPECT_EQ(apply("+ 5", 10), 15);
  EXPECT_EQ(apply("*1.5", 3), 5);
  EXPECT_EQ(apply("/3", 10), 3);
  EXPECT_EQ(apply(" 250 ", 10), 250);
  for (const char* refused : {"", "+", "lots", "1,5", "*-2", "/0", "20%", "12.5", "+-3"}) {
    EXPECT_FALSE(apply(refused, 10)) << refused;
  }
}

}  // namespace
