#include "appfixture.h"

#include "stringtable.h"
#include "unitdocument.h"
#include "unitstablemodel.h"

#include <QAbstractItemModelTester>
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

}  // namespace
