#include "failingfile.h"
#include "otheruser.h"
#include "paths.h"
#include "recordingshell.h"
#include "sampledir.h"
#include "samplegame.h"
#include "scripteddialogs.h"
#include "shell.h"
#include "stringtable.h"
#include "templatestore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QScopeGuard>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#endif

#include <gtest/gtest.h>

namespace {

const QString kErr2 = QStringLiteral("Error #2 : Couldn't Open TEMPLATES.BIN");
const QString kErr3 = QStringLiteral("Error #3 : Error Reading Data From TEMPLATES.BIN");
const QString kErr4 = QStringLiteral("Error #4 : Error Writing To TEMPLATES.BIN");
const QString kErr5 = QStringLiteral("Error #5 : Error Saving To TEMPLATES.BIN");
const QString kApplied = QStringLiteral("Changes Have Been Applied");

QByteArray Slice(const QByteArray& bytes, qint64 offset) {
  return bytes.mid(offset, 256);
}

QByteArray RawOf(const TUnitTemplate& u) {
  return QByteArray(reinterpret_cast<const char*>(u.RawBytes.data()), 256);
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample.ok());
    store.GameFolder = sample.Folder();
    store.SetFileOpener(FailingOpener(plan));
    original = sample.TemplatesBytes();
  }

  // The only messages shown, in order.
  QStringList Messages() const { return dialogs.Texts(); }

  // Infantry i's cost changed and saved in memory, its notice cleared away.
  void SaveCost(int i, std::int32_t cost) {
    TUnitTemplate u;
    store.GetInfantry(i, u);
    u.Cost = cost;
    store.PutInfantry(i, u);
    store.CommitInfantry(i);
    dialogs.Clear();
  }

  // Every byte of the file is as it was, except inside the given records.
  void ExpectOnlyRecordsChanged(std::initializer_list<qint64> offsets) const {
    const QByteArray now = sample.TemplatesBytes();
    ASSERT_EQ(now.size(), original.size());
    for (qint64 at = 0; at < now.size(); ++at) {
      bool inside = false;
      for (qint64 o : offsets) inside = inside || (at >= o && at < o + 256);
      if (!inside) {
        ASSERT_EQ(now[at], original[at]) << "byte " << at << " changed";
      }
    }
  }

  SampleDir sample;
  ScriptedDialogs dialogs;
  FailurePlan plan;
  TDune2kFile store;
  QByteArray original;
};

TEST_F(StoreTest, StartsEmptyWithNumberedSlots) {
  TDune2kFile fresh;
  for (int i = 1; i <= InfantryCount; ++i) EXPECT_EQ(fresh.Infantry[i].Index, i);
  for (int i = 1; i <= VehicleCount; ++i) EXPECT_EQ(fresh.Vehicles[i].Index, i);
  EXPECT_FALSE(fresh.InfantryLoaded);
  EXPECT_FALSE(fresh.VehiclesLoaded);
  EXPECT_FALSE(fresh.HandleOpen());
  EXPECT_TRUE(fresh.GameFolder.isEmpty());
  EXPECT_EQ(fresh.Vehicles[3].Health, 0);
}

TEST_F(StoreTest, LoadsEveryUnitFromItsOffsetAndClosesTheFile) {
  store.LoadInfantry();
  store.LoadVehicles();
  EXPECT_TRUE(store.InfantryLoaded);
  EXPECT_TRUE(store.VehiclesLoaded);
  for (int i = 1; i <= InfantryCount; ++i) {
    EXPECT_EQ(RawOf(store.Infantry[i]), Slice(original, InfantryOffsets[i])) << "infantry " << i;
  }
  for (int i = 1; i <= VehicleCount; ++i) {
    EXPECT_EQ(RawOf(store.Vehicles[i]), Slice(original, VehicleOffsets[i])) << "vehicle " << i;
  }
  // Light Infantry of the sample game.
  EXPECT_EQ(store.Infantry[1].Health, 110);
  EXPECT_EQ(store.Infantry[1].Cost, 50);
  EXPECT_EQ(plan.opens, 2);
  EXPECT_EQ(plan.closes, 2);
  EXPECT_EQ(plan.accesses, (QList<FileAccess>{FileAccess::Read, FileAccess::Read}));
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(sample.TemplatesBytes(), original);
}

TEST_F(StoreTest, LoadsOnceUntilReset) {
  store.LoadInfantry();
  store.LoadInfantry();
  EXPECT_EQ(plan.opens, 1);

  // Values committed in memory are lost by a reload, their Changed marks are not.
  TUnitTemplate u;
  store.GetInfantry(2, u);
  u.Health = 9999;
  store.PutInfantry(2, u);
  store.CommitInfantry(2);
  store.ResetLoaded();
  EXPECT_FALSE(store.InfantryLoaded);
  EXPECT_FALSE(store.VehiclesLoaded);
  store.LoadInfantry();
  EXPECT_EQ(plan.opens, 2);
  EXPECT_EQ(store.Infantry[2].Health, 140);
  EXPECT_EQ(RawOf(store.Infantry[2]), Slice(original, InfantryOffsets[2]));
  EXPECT_TRUE(store.Infantry[2].Changed);
}

TEST_F(StoreTest, ShortFileReadsZeroTailsWithoutAMessage) {
  sample.WriteTemplates(original.left(0x0910));
  store.LoadVehicles();
  EXPECT_TRUE(store.VehiclesLoaded);
  EXPECT_TRUE(Messages().isEmpty());
  // Vehicle 5 starts at 0x0900: 16 bytes from the file, the rest zero.
  const QByteArray v5 = RawOf(store.Vehicles[5]);
  EXPECT_EQ(v5.left(16), original.mid(0x0900, 16));
  EXPECT_EQ(v5.mid(16), QByteArray(240, '\0'));
  EXPECT_EQ(RawOf(store.Vehicles[21]), QByteArray(256, '\0'));
  EXPECT_EQ(store.Vehicles[21].Health, 0);
}

TEST_F(StoreTest, MissingFileReportsError2AndLoadsNothing) {
  QFile::remove(sample.TemplatesPath());
  store.LoadInfantry();
  EXPECT_EQ(Messages(), QStringList{kErr2});
  EXPECT_FALSE(store.InfantryLoaded);
  EXPECT_EQ(store.Infantry[1].Health, 0);
  // The next load tries again, and the file is never created.
  store.LoadInfantry();
  EXPECT_EQ(Messages(), (QStringList{kErr2, kErr2}));
  EXPECT_FALSE(QFile::exists(sample.TemplatesPath()));
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Information);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbOK));
}

TEST_F(StoreTest, ReadFailureOnTheFirstRecordLeavesTheKindUnloaded) {
  plan.failReadAt = 1;
  store.LoadInfantry();
  EXPECT_EQ(Messages(), QStringList{kErr3});
  EXPECT_FALSE(store.InfantryLoaded);
  EXPECT_EQ(plan.closes, plan.opens);
  EXPECT_FALSE(store.HandleOpen());
}

TEST_F(StoreTest, ReadFailureLaterKeepsTheRecordsReadSoFar) {
  plan.failReadAt = 3;
  store.LoadVehicles();
  EXPECT_EQ(Messages(), QStringList{kErr3});
  EXPECT_TRUE(store.VehiclesLoaded);
  EXPECT_EQ(RawOf(store.Vehicles[2]), Slice(original, VehicleOffsets[2]));
  EXPECT_EQ(RawOf(store.Vehicles[3]), QByteArray(256, '\0'));  // as it was: never read
  EXPECT_EQ(store.Vehicles[4].Health, 0);
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_EQ(plan.closes, plan.opens);
}

TEST_F(StoreTest, ReadRecordOpensAndClosesTheFileItself) {
  TUnitTemplate slot;
  slot.Index = 4;
  EXPECT_TRUE(store.ReadRecord(ukInfantry, slot));
  EXPECT_EQ(RawOf(slot), Slice(original, 0x0400));
  EXPECT_EQ(plan.opens, 1);
  EXPECT_EQ(plan.closes, 1);

  // With the file already open it is left open for the caller.
  ASSERT_TRUE(store.OpenTemplates(FileAccess::Read));
  EXPECT_TRUE(store.OpenTemplates(FileAccess::Read));
  EXPECT_EQ(plan.opens, 2);
  EXPECT_TRUE(store.ReadRecord(ukVehicle, slot));
  EXPECT_TRUE(store.HandleOpen());
  EXPECT_EQ(RawOf(slot), Slice(original, VehicleOffsets[4]));
  EXPECT_TRUE(store.CloseTemplates());
  EXPECT_FALSE(store.HandleOpen());

  QFile::remove(sample.TemplatesPath());
  EXPECT_FALSE(store.ReadRecord(ukVehicle, slot));
  EXPECT_EQ(Messages(), QStringList{kErr2});
}

TEST_F(StoreTest, ReadRecordWithABadIndexRaisesAndClosesTheFile) {
  TUnitTemplate slot;
  slot.Index = 8;
  EXPECT_THROW(store.ReadRecord(ukInfantry, slot), ERangeError);
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_EQ(plan.closes, plan.opens);
}

TEST_F(StoreTest, CloseRefusedKeepsTheHandle) {
  ASSERT_TRUE(store.OpenTemplates(FileAccess::Read));
  plan.failClose = true;
  EXPECT_FALSE(store.CloseTemplates());
  EXPECT_TRUE(store.HandleOpen());
  plan.failClose = false;
  EXPECT_TRUE(store.CloseTemplates());
  EXPECT_FALSE(store.HandleOpen());
}

TEST_F(StoreTest, GetAndPutCopyWholeRecordsAndRefuseBadNumbers) {
  store.LoadVehicles();
  TUnitTemplate copy;
  store.GetVehicle(9, copy);
  EXPECT_EQ(copy, store.Vehicles[9]);
  copy.Armor = 200;
  EXPECT_NE(store.Vehicles[9].Armor, 200);  // a copy, not the slot
  store.PutVehicle(9, copy);
  EXPECT_EQ(store.Vehicles[9], copy);

  TUnitTemplate untouched;
  untouched.Health = 1234;
  const TUnitTemplate before = untouched;
  const auto expectRange = [](auto&& call, const char* text) {
    try {
      call();
      ADD_FAILURE() << "no range error for " << text;
    } catch (const ERangeError& e) {
      EXPECT_EQ(e.Message(), QString::fromLatin1(text));
    }
  };
  expectRange([&] { store.GetVehicle(0, untouched); }, "0 is not within the valid range of 1..21");
  expectRange([&] { store.GetVehicle(22, untouched); },
              "22 is not within the valid range of 1..21");
  expectRange([&] { store.GetInfantry(8, untouched); }, "8 is not within the valid range of 1..7");
  expectRange([&] { store.PutInfantry(0, untouched); }, "0 is not within the valid range of 1..7");
  expectRange([&] { store.PutVehicle(-3, untouched); },
              "-3 is not within the valid range of 1..21");
  expectRange([&] { store.InfantryRawData(8); }, "8 is not within the valid range of 1..7");
  expectRange([&] { store.VehicleRawData(22); }, "22 is not within the valid range of 1..21");
  expectRange([&] { store.CommitInfantry(0); }, "0 is not within the valid range of 1..7");
  EXPECT_EQ(untouched, before);
  EXPECT_EQ(store.InfantryRawData(3), store.Infantry[3].RawBytes.data());
  EXPECT_EQ(store.VehicleRawData(17), store.Vehicles[17].RawBytes.data());
}

// The kind-taking calls reach the right kind's slots, and the unapplied mark covers both.
TEST_F(StoreTest, KindTakingCallsReachTheirKindsSlots) {
  for (const std::uint8_t kind : {ukInfantry, ukVehicle}) {
    EXPECT_FALSE(store.UnitsLoaded(kind));
    store.LoadUnits(kind);
    EXPECT_TRUE(store.UnitsLoaded(kind));
  }
  EXPECT_TRUE(store.InfantryLoaded && store.VehiclesLoaded);
  EXPECT_FALSE(store.HasUnappliedChanges());

  TUnitTemplate u;
  store.GetUnit(ukVehicle, 17, u);
  EXPECT_EQ(u, store.Vehicles[17]);
  EXPECT_EQ(store.UnitRawData(ukInfantry, 3), store.Infantry[3].RawBytes.data());
  u.Armor = 9;
  store.PutUnit(ukVehicle, 17, u);
  EXPECT_EQ(store.Vehicles[17].Armor, 9);
  EXPECT_NE(store.Infantry[3].Armor, 9);  // the same record in the file, another slot here
  EXPECT_FALSE(store.HasUnappliedChanges());
  store.CommitUnit(ukVehicle, 17);
  EXPECT_EQ(Messages(), QStringList{QStringLiteral("Harkonnen Death Hand Saved Successfully")});
  EXPECT_TRUE(store.HasUnappliedChanges());
  EXPECT_EQ(UnitName(ukInfantry, 3), InfantryNames[3]);
  EXPECT_EQ(UnitCountOf(ukInfantry), 7);
  EXPECT_EQ(UnitCountOf(ukVehicle), 21);
}

TEST_F(StoreTest, CommitEncodesMarksAndReportsButWritesNothing) {
  store.LoadVehicles();
  TUnitTemplate u;
  store.GetVehicle(5, u);
  u.Armor = 14;
  u.Owners = (1u << hEmperor) | (1u << hOrdos);
  u.Flag37 = true;
  store.PutVehicle(5, u);
  store.CommitVehicle(5);

  EXPECT_EQ(Messages(), QStringList{QStringLiteral("Atriedies Combat Tank Saved Successfully")});
  const TUnitTemplate& slot = store.Vehicles[5];
  EXPECT_TRUE(slot.Changed);
  EXPECT_EQ(slot.RawBytes[2], 14);
  EXPECT_EQ(slot.Owners, 1u << hOrdos);  // re-decoded: the Emperor has no bit in the file
  EXPECT_EQ(slot.RawBytes[37], 1);
  EXPECT_EQ(sample.TemplatesBytes(), original);
  EXPECT_EQ(plan.writes, 0);
}

TEST_F(StoreTest, ApplyWritesOnlyChangedRecords) {
  store.LoadInfantry();
  store.LoadVehicles();
  TUnitTemplate u;
  store.GetInfantry(6, u);
  u.Cost = 777;
  store.PutInfantry(6, u);
  store.CommitInfantry(6);
  store.GetVehicle(21, u);
  u.Sight = 3;
  store.PutVehicle(21, u);
  store.CommitVehicle(21);
  dialogs.Clear();

  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kApplied});
  EXPECT_EQ(plan.writeOffsets, (QList<qint64>{0x0300, 0x1A00}));
  EXPECT_EQ(plan.accesses.last(), FileAccess::ReadWrite);
  EXPECT_FALSE(store.Infantry[6].Changed);
  EXPECT_FALSE(store.Vehicles[21].Changed);
  EXPECT_FALSE(store.HandleOpen());
  ExpectOnlyRecordsChanged({0x0300, 0x1A00});
  const QByteArray now = sample.TemplatesBytes();
  EXPECT_EQ(Slice(now, 0x0300), RawOf(store.Infantry[6]));
  EXPECT_EQ(Slice(now, 0x1A00), RawOf(store.Vehicles[21]));

  // Reading it back gives what was committed.
  TDune2kFile again;
  again.GameFolder = sample.Folder();
  again.LoadInfantry();
  EXPECT_EQ(again.Infantry[6].Cost, 777);
}

TEST_F(StoreTest, ApplyWithNothingChangedStillReportsSuccess) {
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kApplied});
  EXPECT_EQ(plan.opens, 1);
  EXPECT_EQ(plan.accesses, QList<FileAccess>{FileAccess::ReadWrite});
  EXPECT_EQ(plan.writes, 0);
  EXPECT_EQ(sample.TemplatesBytes(), original);
}

TEST_F(StoreTest, SharedRecordIsWrittenTwiceVehicleLast) {
  store.LoadInfantry();
  store.LoadVehicles();
  TUnitTemplate u;
  store.GetVehicle(17, u);
  u.Health = 5555;
  store.PutVehicle(17, u);
  store.CommitVehicle(17);
  store.GetInfantry(3, u);
  u.Health = 3333;
  store.PutInfantry(3, u);
  store.CommitInfantry(3);

  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(plan.writeOffsets, (QList<qint64>{0x1500, 0x1500}));
  TDune2kFile again;
  again.GameFolder = sample.Folder();
  again.LoadInfantry();
  EXPECT_EQ(again.Infantry[3].Health, 5555);
  ExpectOnlyRecordsChanged({0x1500});
}

TEST_F(StoreTest, WriteFailureStopsAndKeepsEveryMark) {
  store.LoadVehicles();
  for (int i : {2, 4, 6, 8}) {
    TUnitTemplate u;
    store.GetVehicle(i, u);
    u.Cost += 1;
    store.PutVehicle(i, u);
    store.CommitVehicle(i);
  }
  dialogs.Clear();
  plan.failWriteAt = 3;

  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kErr4});
  // Nothing was flushed, so nothing counts as applied.
  EXPECT_TRUE(store.Vehicles[2].Changed);
  EXPECT_TRUE(store.Vehicles[4].Changed);
  EXPECT_TRUE(store.Vehicles[6].Changed);
  EXPECT_TRUE(store.Vehicles[8].Changed);
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_EQ(plan.closes, plan.opens);
  ExpectOnlyRecordsChanged({0x0600, 0x0800});

  // The next write-back opens the file afresh and writes the rest.
  dialogs.Clear();
  const int opensBefore = plan.opens;
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(plan.opens, opensBefore + 1);
  EXPECT_EQ(Messages(), QStringList{kApplied});
  EXPECT_FALSE(store.Vehicles[8].Changed);
}

TEST_F(StoreTest, FailedFlushIsAWriteErrorAndTheRetryWritesAgain) {
  store.LoadInfantry();
  SaveCost(1, 1234);
  plan.failFlush = true;
  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kErr4});
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_TRUE(store.Infantry[1].Changed);

  dialogs.Clear();
  plan.failFlush = false;
  const int writesBefore = plan.writes;
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kApplied});
  EXPECT_EQ(plan.writes, writesBefore + 1);
  EXPECT_FALSE(store.Infantry[1].Changed);
}

TEST_F(StoreTest, AFailedReReadKeepsTheCommittedRecord) {
  store.LoadInfantry();
  SaveCost(1, 4321);
  const QByteArray committed = RawOf(store.Infantry[1]);
  store.ResetLoaded();
  plan.failReadAt = plan.reads + 1;
  store.LoadInfantry();
  EXPECT_EQ(RawOf(store.Infantry[1]), committed);
  EXPECT_EQ(store.Infantry[1].Cost, 4321);

  // The write-back puts the committed record into the file, never a zeroed one.
  dialogs.Clear();
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(Slice(sample.TemplatesBytes(), 0), committed);
  ExpectOnlyRecordsChanged({0x0000});
}

// Another program changes the file between our load and our write-back.
class TwoWritersTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    store.LoadInfantry();
  }
  void ChangeOnDisk(qint64 at, char value) {
    QByteArray bytes = sample.TemplatesBytes();
    bytes[at] = value;
    sample.WriteTemplates(bytes);
  }
  std::int32_t CostOnDisk(int i) const {
    TDune2kFile again;
    again.GameFolder = sample.Folder();
    again.LoadInfantry();
    return again.Infantry[i].Cost;
  }
  static QString Question(const char* unit) {
    return QStringLiteral(
               "%1 Has Been Changed In TEMPLATES.BIN By Another Program Since It Was Loaded, "
               "And Some Of Those Changes Are To The Same Settings You Have Changed.\rDo You "
               "Want To Keep Your Settings There?\r\rYes - Keep Yours, No - Keep The Other "
               "Program's, Cancel - Apply Nothing")
        .arg(QString::fromLatin1(unit));
  }
};

TEST_F(TwoWritersTest, OnlyTheBytesChangedHereAreWritten) {
  ChangeOnDisk(0x0000 + 4, char(0x77));  // Light Infantry's health, by the other program
  SaveCost(1, 2500);
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kApplied});
  const QByteArray now = sample.TemplatesBytes();
  EXPECT_EQ(quint8(now[4]), 0x77u);
  EXPECT_EQ(CostOnDisk(1), 2500);
  EXPECT_EQ(plan.writeOffsets, QList<qint64>{0x0000});
  // The store now holds what the file holds, the other program's change included.
  EXPECT_EQ(RawOf(store.Infantry[1]), Slice(now, 0));
  EXPECT_EQ(quint8(store.Infantry[1].Health & 0xFF), 0x77u);
}

TEST_F(TwoWritersTest, AByteChangedOnBothSidesIsTheUsersChoice) {
  const std::int32_t theirs = 0x0304;
  ChangeOnDisk(28, char(0x04));
  ChangeOnDisk(29, char(0x03));
  ChangeOnDisk(30, 0);
  ChangeOnDisk(31, 0);
  SaveCost(1, 0x0305);  // the low byte differs on both sides, the rest does not

  // Cancel writes nothing and keeps the mark.
  dialogs.Answer(MsgResult::Cancel);
  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{Question("Light Infantry")});
  EXPECT_EQ(dialogs.log[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(dialogs.log[0].buttons, MsgButtons(mbYes | mbNo | mbCancel));
  EXPECT_EQ(plan.writes, 0);
  EXPECT_TRUE(store.Infantry[1].Changed);
  EXPECT_FALSE(store.HandleOpen());

  // No keeps the other program's value.
  dialogs.Clear();
  dialogs.Answer(MsgResult::No);
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(CostOnDisk(1), theirs);

  // Yes keeps ours.
  ChangeOnDisk(28, char(0x06));
  SaveCost(1, 0x0307);
  dialogs.Answer(MsgResult::Yes);
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(CostOnDisk(1), 0x0307);
}

// Another program's lock on the whole file, taken the way the store takes its own.
bool LockWholeFile(QFile& file) {
#ifdef _WIN32
  OVERLAPPED from{};
  return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())),
                    LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                    &from);
#else
  return ::flock(file.handle(), LOCK_EX) == 0;
#endif
}

TEST_F(TwoWritersTest, TheWriteBackWaitsForAnotherWritersLockAndGivesUp) {
  SaveCost(2, 99);
  QFile other(sample.TemplatesPath());
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  ASSERT_TRUE(LockWholeFile(other));
  // The message says why, in the window and, with the file's name, on the command line.
  const QString why = QStringLiteral("locked by another program; gave up after waiting 5 seconds");
  EXPECT_FALSE(store.ApplyChanges());
  store.SetDetailedReports(true);
  EXPECT_FALSE(store.ApplyChanges());
  store.SetDetailedReports(false);
  EXPECT_EQ(
      Messages(),
      (QStringList{QStringLiteral("%1 (%2)").arg(kErr2, why),
                   QStringLiteral("%1 (%2: %3)").arg(kErr2, store.TemplatesFileName(), why)}));
  EXPECT_EQ(sample.TemplatesBytes(), original);
  EXPECT_TRUE(store.Infantry[2].Changed);
  other.close();  // releases the lock
  dialogs.Clear();
  EXPECT_TRUE(store.ApplyChanges());
  EXPECT_EQ(CostOnDisk(2), 99);
}

TEST_F(StoreTest, AFileThatEndsInsideARecordIsNeverGrown) {
  sample.WriteTemplates(original.left(100));
  store.LoadInfantry();
  store.CommitInfantry(2);
  dialogs.Clear();
  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kErr5});
  EXPECT_EQ(sample.TemplatesBytes(), original.left(100));
  EXPECT_TRUE(store.Infantry[2].Changed);
}

TEST_F(StoreTest, ErrorDuringWriteBackReportsError5) {
  store.LoadInfantry();
  TUnitTemplate u;
  store.GetInfantry(2, u);
  u.Index = 99;  // a record that names no unit
  u.Changed = true;
  store.PutInfantry(2, u);
  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kErr5});
  EXPECT_FALSE(store.HandleOpen());
  EXPECT_EQ(plan.closes, plan.opens);
}

TEST_F(StoreTest, ApplyWithoutTheFileReportsError2AndKeepsMarks) {
  store.LoadInfantry();
  store.CommitInfantry(4);
  dialogs.Clear();
  QFile::remove(sample.TemplatesPath());
  EXPECT_FALSE(store.ApplyChanges());
  EXPECT_EQ(Messages(), QStringList{kErr2});
  EXPECT_TRUE(store.Infantry[4].Changed);
  EXPECT_FALSE(QFile::exists(sample.TemplatesPath()));
}

TEST_F(StoreTest, AReadOnlyFileReportsError2AndStaysAsItWas) {
  store.LoadInfantry();
  SaveCost(4, 4321);
  const QString path = sample.TemplatesPath();
  // Windows shows this as the file's read-only attribute.
  const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
  ASSERT_TRUE(QFile::setPermissions(path, readOnly));
  const auto writable =
      qScopeGuard([&] { QFile::setPermissions(path, readOnly | QFile::WriteOwner); });
  // 0 when the apply is refused with Error #2 and the change stays marked.
  const auto refused = [&] {
    if (store.ApplyChanges()) return 1;
    if (Messages() != QStringList{kErr2}) return 2;
    return store.Infantry[4].Changed ? 0 : 3;
  };
  if (QFile probe(path); !probe.open(QIODevice::ReadWrite)) {
    EXPECT_EQ(refused(), 0) << Messages().join(QLatin1Char('|')).toStdString();
  } else {
#ifdef _WIN32
    GTEST_SKIP() << "this user may write read-only files (Wine run by root)";
#else
    // Root may write any file; a user who is not root meets the refusal. That user may enter
    // the game's folders and read the file, but not write it.
    for (const char* folder : {"", "data", "data/bin"}) {
      const QString at = sample.Path(QString::fromLatin1(folder));
      QFile::setPermissions(at, QFile::permissions(at) | QFile::ExeOther | QFile::ReadOther);
    }
    EXPECT_EQ(ExitStatus(AsAnotherUser(refused)), 0);
#endif
  }
  EXPECT_EQ(sample.TemplatesBytes(), original);
}

TEST_F(StoreTest, NamesAreFormedFromTheFolderAsItIs) {
  const QString folder = sample.Folder();
  ASSERT_TRUE(folder.endsWith(PathSeparator()));
  EXPECT_EQ(store.TemplatesFileName(), folder + NativeText(u"\\data\\bin\\templates.bin"));
  EXPECT_EQ(store.GameProgramName(), folder + NativeText(u"\\Dune2000.exe"));
  EXPECT_EQ(store.PictureFolder(), folder + NativeText(u"data\\ui_gfx\\"));
  store.LoadInfantry();  // the doubled separator works
  EXPECT_TRUE(store.InfantryLoaded);
}

TEST_F(StoreTest, FindsTheFileWhateverTheCaseOfItsName) {
  QDir root(sample.Path(QString()));
  ASSERT_TRUE(root.rename(QStringLiteral("data/bin/templates.bin"),
                          QStringLiteral("data/bin/TEMPLATES.BIN")));
  ASSERT_TRUE(root.rename(QStringLiteral("data/bin"), QStringLiteral("data/Bin")));
  ASSERT_TRUE(root.rename(QStringLiteral("data"), QStringLiteral("DATA")));
  store.LoadVehicles();
  EXPECT_TRUE(store.VehiclesLoaded);
  EXPECT_TRUE(Messages().isEmpty());
  store.CommitVehicle(1);
  EXPECT_TRUE(store.ApplyChanges());
  // No second file was made (a name filter ignores case, as Windows does).
  EXPECT_EQ(QDir(sample.Path(QStringLiteral("DATA/Bin")))
                .entryList({QStringLiteral("templates.bin")}, QDir::Files)
                .size(),
            1);
}

TEST_F(StoreTest, RunGameAsksTheShellToStartTheProgram) {
  RecordingShell shell;
  store.RunGame();
  EXPECT_EQ(shell.opened, QStringList{sample.Folder() + NativeText(u"\\Dune2000.exe")});
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(StoreTest, PictureExistsOnlyForNamedVehiclePictures) {
  EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, 1, false, nullptr));
  EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, 16, false, nullptr));  // "H_death.bmp"
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 17, false, nullptr));
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 21, false, nullptr));
  EXPECT_FALSE(store.LoadVehiclePicture(ukInfantry, 1, false, nullptr));
  EXPECT_THROW(store.LoadVehiclePicture(ukVehicle, 22, false, nullptr), ERangeError);
  QFile::remove(sample.Path(QStringLiteral("data/ui_gfx/A_QUAD.BMP")));
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 3, false, nullptr));
}

TEST_F(StoreTest, SmallPictureFitsSixteenPixelsWhateverTheWidth) {
  const QString file = sample.Path(QStringLiteral("data/ui_gfx/A_TRIKE.BMP"));
  for (int width : {16, 32, 48}) {
    WriteAll(file, SampleGame::VehicleBmp(1, width));
    QImage picture;
    EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, 1, true, &picture)) << width;
    EXPECT_EQ(picture.size(), QSize(16, 16)) << width;
    EXPECT_EQ(qAlpha(picture.pixel(0, 15)), 0) << "bottom-left colour is transparent";
    EXPECT_NE(qAlpha(picture.pixel(8, 8)), 0) << "the vehicle itself shows";
  }
  // Narrower than 16 pixels: no picture, and no division by zero.
  WriteAll(file, SampleGame::VehicleBmp(1, 8));
  QImage narrow;
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 1, true, &narrow));
  // A file that is not a picture.
  WriteAll(file, QByteArray("not a bitmap"));
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 1, true, &narrow));
}

TEST_F(StoreTest, FullPictureLoadsAndAMissingOneKeepsThePrevious) {
  QImage picture;
  EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, 2, false, &picture));
  EXPECT_EQ(picture.size(), QSize(64, 48));
  const QImage raider = picture;
  EXPECT_TRUE(store.LoadVehiclePicture(ukVehicle, 17, false, &picture));  // no file: kept
  EXPECT_EQ(picture, raider);
  QImage empty;
  EXPECT_FALSE(store.LoadVehiclePicture(ukVehicle, 18, false, &empty));
}

}  // namespace
