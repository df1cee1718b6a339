#include "framefixture.h"
#include "unitstablemodel.h"
#include "unitstablewindow.h"
#include "vehicleswindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

using M = TUnitsTableModel;

// The units table opened from the frame on the sample game.
class UnitsTableWindow : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    LaterRun(game.Folder());
    Open();
    QApplication::setActiveWindow(frame.get());
    frame->A_UnitsTable->trigger();
    table = frame->findChild<TF_UnitsTable*>();
    ASSERT_TRUE(table);
    view = table->Table();
    model = table->Model();
  }

  int Row(std::uint8_t kind, int unit) const { return M::RowOf(kind, unit); }
  QModelIndex ViewCell(std::uint8_t kind, int unit, int column) const {
    auto* sorted = static_cast<QSortFilterProxyModel*>(view->model());
    return sorted->mapFromSource(model->index(Row(kind, unit), column));
  }
  void Select(const QList<QModelIndex>& cells) {
    view->selectionModel()->clearSelection();
    for (const QModelIndex& cell : cells) {
      view->selectionModel()->select(cell, QItemSelectionModel::Select);
    }
    view->selectionModel()->setCurrentIndex(cells.front(), QItemSelectionModel::NoUpdate);
  }
  // Types `text` into the current cell, as a user does, and presses Enter.
  void TypeIntoCurrent(const QString& text) {
    // The first key opens the cell's editor, which takes the rest; the last one is gone first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::keyClicks(view, text.left(1));
    auto* editor = view->findChild<QLineEdit*>(QStringLiteral("E_Cell"));
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor hands its text over once back in the loop
  }
  std::int64_t Value(std::uint8_t kind, int unit, int column) const {
    return model->Value(Row(kind, unit), column);
  }
  QString Note() const { return table->findChild<QLabel*>(QStringLiteral("L_Note"))->text(); }
  QString Counts() const { return table->findChild<QLabel*>(QStringLiteral("L_Counts"))->text(); }

  TF_UnitsTable* table = nullptr;
  QTableView* view = nullptr;
  M* model = nullptr;
};

TEST_F(UnitsTableWindow, OpensOnceFromTheMenuAndTheToolbar) {
  auto* settings = frame->findChild<QMenu*>(QStringLiteral("MnuSettings"));
  EXPECT_EQ(settings->actions().back()->text(), QStringLiteral("Units &Table..."));
  settings->actions().back()->trigger();
  frame->findChild<QToolButton*>(QStringLiteral("B_UnitsTable"))->click();
  EXPECT_EQ(frame->findChildren<TF_UnitsTable*>().size(), 1);
  EXPECT_EQ(model->rowCount(), InfantryCount + VehicleCount);
  EXPECT_EQ(Counts(), QStringLiteral("0 values changed, 0 not applied"));
  // Every designed column shows its whole header at the size it opens with.
  for (int column = 0; column < M::ColumnCount; ++column) {
    const QString header = model->headerData(column, Qt::Horizontal).toString();
    EXPECT_GT(view->horizontalHeader()->sectionSize(column),
              view->horizontalHeader()->fontMetrics().horizontalAdvance(header))
        << header.toStdString();
  }
  EXPECT_GE(view->viewport()->width(), view->horizontalHeader()->length());
}

TEST_F(UnitsTableWindow, TwentyPercentOnSelectedHealthsChangesExactlyThoseInOneStep) {
  const std::int64_t siege = Value(ukVehicle, 11, M::ColHealth);
  const std::int64_t sonic = Value(ukVehicle, 12, M::ColHealth);
  const std::int64_t trike = Value(ukVehicle, 1, M::ColHealth);
  const std::int64_t siegeCost = Value(ukVehicle, 11, M::ColCost);
  Select({ViewCell(ukVehicle, 11, M::ColHealth), ViewCell(ukVehicle, 12, M::ColHealth)});
  TypeIntoCurrent(QStringLiteral("+20%"));
  EXPECT_EQ(Value(ukVehicle, 11, M::ColHealth), std::llround(siege * 1.2));
  EXPECT_EQ(Value(ukVehicle, 12, M::ColHealth), std::llround(sonic * 1.2));
  EXPECT_EQ(Value(ukVehicle, 1, M::ColHealth), trike);
  EXPECT_EQ(Value(ukVehicle, 11, M::ColCost), siegeCost);
  EXPECT_EQ(Counts(), QStringLiteral("2 values changed, 2 not applied"));
  EXPECT_TRUE(model->data(model->index(Row(ukVehicle, 11), M::ColHealth), Qt::FontRole)
                  .value<QFont>()
                  .bold());

  frame->A_Undo->trigger();
  EXPECT_EQ(Value(ukVehicle, 11, M::ColHealth), siege);
  EXPECT_EQ(Value(ukVehicle, 12, M::ColHealth), sonic);
  EXPECT_FALSE(frame->A_Undo->isEnabled());
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(UnitsTableWindow, ValuesBeyondTheRangeAreHeldAndTheNoteSaysSo) {
  Select({ViewCell(ukInfantry, 1, M::ColArmor), ViewCell(ukInfantry, 2, M::ColArmor)});
  TypeIntoCurrent(QStringLiteral("*100"));
  // Infantry armour stops at 7, as the settings window's control does.
  EXPECT_EQ(Value(ukInfantry, 1, M::ColArmor), 7);
  EXPECT_EQ(Value(ukInfantry, 2, M::ColArmor), 7);
  EXPECT_EQ(Note(), QStringLiteral("Held to the field's range: Light Infantry 7, Troopers 7"));

  // Text that is neither a number nor a change is refused with a word and changes nothing.
  const std::int64_t cost = Value(ukInfantry, 1, M::ColCost);
  Select({ViewCell(ukInfantry, 1, M::ColCost)});
  TypeIntoCurrent(QStringLiteral("lots"));
  EXPECT_EQ(Value(ukInfantry, 1, M::ColCost), cost);
  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QStringLiteral(
          "Cost: \"lots\" is neither a whole number nor a change such as +20%, -5 or *1.5.")});
}

TEST_F(UnitsTableWindow, ATableEditReachesAnOpenSettingsWindowAndBack) {
  TF_Infs* infantry = OpenInfantry();
  Select({ViewCell(ukInfantry, 1, M::ColCost)});
  TypeIntoCurrent(QStringLiteral("77"));
  EXPECT_EQ(infantry->SE_Cost->Text(), QStringLiteral("77"));

  Type(infantry->SE_Health, QStringLiteral("333"));
  infantry->B_Save->click();
  EXPECT_EQ(Value(ukInfantry, 1, M::ColHealth), 333);
}

TEST_F(UnitsTableWindow, CopyThenPasteIsNoChangeAndABadPasteChangesNothing) {
  Select({ViewCell(ukVehicle, 1, M::ColHealth), ViewCell(ukVehicle, 2, M::ColSight),
          ViewCell(ukVehicle, 3, M::ColAtreides)});
  table->CopyCells();
  const QString copied = QApplication::clipboard()->text();
  EXPECT_TRUE(copied.startsWith(QStringLiteral("Unit\tHealth\tSight\tAtreides\r\nTrike\t")));
  table->PasteCells();
  EXPECT_FALSE(frame->A_Undo->isEnabled());
  EXPECT_TRUE(dialogs.log.empty());

  const QByteArray before = game.TemplatesBytes();
  const std::int64_t health = Value(ukVehicle, 1, M::ColHealth);
  QApplication::clipboard()->setText(QStringLiteral("500\t4\r\n600\tabc\r\n"));
  Select({ViewCell(ukVehicle, 1, M::ColHealth)});
  table->PasteCells();
  EXPECT_EQ(dialogs.Texts(),
            QStringList{QStringLiteral(
                "Nothing was pasted: Raider, Cost: \"abc\" is not a whole number.")});
  EXPECT_EQ(Value(ukVehicle, 1, M::ColHealth), health);
  EXPECT_FALSE(frame->A_Undo->isEnabled());
  EXPECT_EQ(game.TemplatesBytes(), before);
}

TEST_F(UnitsTableWindow, RevertToOriginalGivesBackTheBackupsValuesInOneStep) {
  auto* revert = table->findChild<QPushButton*>(QStringLiteral("B_Revert"));
  EXPECT_FALSE(revert->isEnabled());  // no backup yet: nothing tells the originals
  frame->A_Backup->trigger();
  dialogs.Clear();
  ASSERT_TRUE(revert->isEnabled());

  const std::int64_t health = Value(ukVehicle, 4, M::ColHealth);
  const std::int64_t sight = Value(ukVehicle, 4, M::ColSight);
  Select({ViewCell(ukVehicle, 4, M::ColHealth)});
  TypeIntoCurrent(QStringLiteral("-100"));
  Select({ViewCell(ukVehicle, 4, M::ColSight)});
  TypeIntoCurrent(QStringLiteral("+1"));
  frame->A_Commit->trigger();  // applied: no longer bold, still not the original
  dialogs.Clear();
  const QModelIndex cell = model->index(Row(ukVehicle, 4), M::ColHealth);
  EXPECT_FALSE(model->data(cell, M::UnappliedRole).toBool());
  EXPECT_EQ(model->data(cell, Qt::ToolTipRole).toString(),
            QStringLiteral("Original: %1").arg(health));
  EXPECT_EQ(Counts(), QStringLiteral("2 values changed, 0 not applied"));

  view->selectRow(ViewCell(ukVehicle, 4, 0).row());
  revert->click();
  EXPECT_EQ(Value(ukVehicle, 4, M::ColHealth), health);
  EXPECT_EQ(Value(ukVehicle, 4, M::ColSight), sight);
  EXPECT_EQ(Counts(), QStringLiteral("0 values changed, 2 not applied"));
  frame->A_Undo->trigger();
  EXPECT_EQ(Value(ukVehicle, 4, M::ColHealth), health - 100);
  EXPECT_EQ(Value(ukVehicle, 4, M::ColSight), sight + 1);
}

TEST_F(UnitsTableWindow, AfterARestoreTheTableReadsTheUnitsAgainOnItsOwn) {
  frame->A_Backup->trigger();
  Select({ViewCell(ukVehicle, 4, M::ColCost)});
  const std::int64_t cost = Value(ukVehicle, 4, M::ColCost);
  TypeIntoCurrent(QStringLiteral("+1"));
  frame->A_Commit->trigger();
  dialogs.Clear();
  dialogs.Answer(MsgResult::Yes);  // read the restored file into memory
  frame->A_Restore->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(model->RowEditable(Row(ukVehicle, 4)));
  EXPECT_EQ(Value(ukVehicle, 4, M::ColCost), cost);
  EXPECT_EQ(Counts(), QStringLiteral("0 values changed, 0 not applied"));
  EXPECT_EQ(dialogs.unexpected, 0);
}

}  // namespace
