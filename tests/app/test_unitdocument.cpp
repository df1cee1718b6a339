#include "appfixture.h"

#include "stringtable.h"
#include "unitdocument.h"

#include <QUndoStack>

#include <utility>
#include <vector>

namespace {

// The application object on the sample game, its infantry loaded, and every unit the document
// signals recorded.
class UnitDocument : public RunningApp {
 protected:
  void SetUp() override {
    RunningApp::SetUp();
    original = game.TemplatesBytes();
    app->Store->LoadInfantry();
    QObject::connect(app->Document.get(), &TUnitDocument::UnitChanged,
                     [this](std::uint8_t kind, int i) { signalled.emplace_back(kind, i); });
  }

  TUnitTemplate Unit(int i) const {
    TUnitTemplate u;
    app->Store->GetInfantry(i, u);
    return u;
  }
  // Saves unit i with one field changed, as a settings window's Save does.
  void Save(int i, std::int32_t TUnitTemplate::*field, std::int32_t value) {
    TUnitTemplate u = Unit(i);
    u.*field = value;
    app->Document->SaveUnit(ukInfantry, i, u);
  }
  QUndoStack& Stack() const { return *app->Document->UndoStack(); }

  QByteArray original;
  std::vector<std::pair<std::uint8_t, int>> signalled;
};

TEST_F(UnitDocument, UndoOfAnUnappliedSaveLeavesNothingToApply) {
  const std::int32_t cost = Unit(1).Cost;
  Save(1, &TUnitTemplate::Cost, cost + 11);
  EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Light Infantry Saved Successfully")});
  EXPECT_EQ(Stack().undoText(), QStringLiteral("Save Light Infantry"));
  EXPECT_TRUE(app->Store->HasUnappliedChanges());

  Stack().undo();
  EXPECT_EQ(Unit(1).Cost, cost);
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
  EXPECT_EQ(Stack().redoText(), QStringLiteral("Save Light Infantry"));

  Stack().redo();
  EXPECT_EQ(Unit(1).Cost, cost + 11);
  EXPECT_TRUE(app->Store->HasUnappliedChanges());
  // The save, its undo and its redo each told the views.
  const std::pair<std::uint8_t, int> lightInfantry{ukInfantry, 1};
  EXPECT_EQ(signalled, (std::vector{lightInfantry, lightInfantry, lightInfantry}));
  // Undo and redo report nothing: only the save said it was saved.
  EXPECT_EQ(dialogs.log.size(), 1u);
}

TEST_F(UnitDocument, TwoSavesOfOneUnitAreUndoneOneAtATime) {
  const std::int32_t cost = Unit(2).Cost;
  Save(2, &TUnitTemplate::Cost, cost + 1);
  Save(2, &TUnitTemplate::Health, 321);
  EXPECT_EQ(Stack().count(), 2);
  Stack().undo();
  EXPECT_EQ(Unit(2).Cost, cost + 1);
  EXPECT_NE(Unit(2).Health, 321);
  EXPECT_TRUE(app->Store->HasUnappliedChanges());
  Stack().undo();
  EXPECT_EQ(Unit(2).Cost, cost);
  EXPECT_FALSE(app->Store->HasUnappliedChanges());
  EXPECT_FALSE(Stack().canUndo());
}

TEST_F(UnitDocument, UndoAfterApplyIsAChangeTheNextApplyWrites) {
  Save(1, &TUnitTemplate::Health, 4321);
  ASSERT_TRUE(app->Document->ApplyChanges());
  EXPECT_NE(game.TemplatesBytes(), original);
  EXPECT_FALSE(app->Store->HasUnappliedChanges());

  Stack().undo();
  EXPECT_TRUE(app->Store->HasUnappliedChanges());
  EXPECT_NE(game.TemplatesBytes(), original);  // nothing is written until Apply
  ASSERT_TRUE(app->Document->ApplyChanges());
  EXPECT_EQ(game.TemplatesBytes(), original);
}

TEST_F(UnitDocument, UndoAfterApplyKeepsWhatAnotherProgramChanged) {
  const std::int32_t cost = Unit(1).Cost;
  Save(1, &TUnitTemplate::Cost, cost + 27);
  // Meanwhile another program gives the same unit other health.
  TDune2kFile other;
  other.GameFolder = game.Folder();
  other.LoadInfantry();
  TUnitTemplate theirs;
  other.GetInfantry(1, theirs);
  theirs.Health = 999;
  other.PutInfantry(1, theirs);
  other.CommitInfantry(1);
  ASSERT_TRUE(other.ApplyChanges());
  signalled.clear();

  ASSERT_TRUE(app->Document->ApplyChanges());
  // The unit took in the other program's health: the views hear of it.
  EXPECT_EQ(Unit(1).Health, 999);
  EXPECT_EQ(signalled, (std::vector{std::pair<std::uint8_t, int>{ukInfantry, 1}}));

  Stack().undo();
  ASSERT_TRUE(app->Document->ApplyChanges());
  TDune2kFile check;
  check.GameFolder = game.Folder();
  check.LoadInfantry();
  TUnitTemplate onDisk;
  check.GetInfantry(1, onDisk);
  EXPECT_EQ(onDisk.Cost, cost);
  EXPECT_EQ(onDisk.Health, 999);
}

TEST_F(UnitDocument, AReloadOrAnotherGameClearsTheHistory) {
  Save(1, &TUnitTemplate::Cost, 60);
  app->ResetSettingsInMemory();
  EXPECT_FALSE(Stack().canUndo());
  EXPECT_FALSE(app->Store->InfantryLoaded);

  app->Store->LoadInfantry();
  Save(1, &TUnitTemplate::Cost, 61);
  // Leaving the game folder unset and choosing the same game again keeps the history…
  app->SetGameFolder(game.Folder());
  EXPECT_TRUE(Stack().canUndo());
  // …but another game's file must never receive this one's steps.
  app->SetGameFolder(backupDir);
  EXPECT_FALSE(Stack().canUndo());
}

TEST_F(UnitDocument, ASaveThatChangesNoByteLeavesNoStep) {
  app->Document->SaveUnit(ukInfantry, 3, Unit(3));
  EXPECT_EQ(dialogs.Texts(),
            QStringList{UnitName(ukInfantry, 3) + QStringLiteral(" Saved Successfully")});
  EXPECT_FALSE(Stack().canUndo());
}

}  // namespace
