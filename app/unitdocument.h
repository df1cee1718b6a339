#pragma once

#include "recordmerge.h"
#include "unittemplate.h"

#include <QObject>

#include <cstdint>
#include <vector>

class QUndoStack;
class TDune2kFile;

// The units as the editor holds them, behind every view of them: the store's records (and,
// through the store, each record's bytes as last read from or written to the file) and the
// history of every change made to them. Views send their changes here as commands and follow
// UnitChanged; none keeps a copy of its own that it writes back later.
class TUnitDocument : public QObject {
  Q_OBJECT
 public:
  explicit TUnitDocument(TDune2kFile& store, QObject* parent = nullptr);
  ~TUnitDocument() override;
  TUnitDocument(const TUnitDocument&) = delete;
  TUnitDocument& operator=(const TUnitDocument&) = delete;

  TDune2kFile& Store() const { return store_; }
  QUndoStack* UndoStack() const { return undo_; }

  // A settings window's Save: `record` becomes unit i of `kind` and is committed as the store
  // commits it (with its report), as one step that can be undone. Nothing happens when the
  // record is what the store holds already.
  void SaveUnit(std::uint8_t kind, int i, const TUnitTemplate& record);
  // An edit made in place (a table cell): `record`'s fields become unit i's, encoded as a Save
  // encodes them, as one step called `step` that can be undone. Unlike a Save it reports nothing,
  // so that editing cell after cell raises no box. Nothing happens when no byte changes.
  void EditUnit(std::uint8_t kind, int i, const TUnitTemplate& record, const QString& step);
  // Several units edited at once (a paste, a change to many cells, a mod): one step that undoes
  // them all together. Units whose bytes would not change are left out; with none left, no step.
  struct UnitEdit {
    std::uint8_t kind;
    int index;
    TUnitTemplate record;
    // The record's bytes become the unit's as they are, those no field describes included (a
    // mod's): encoding its fields again could tidy a byte the mod meant to keep.
    bool wholeRecord = false;
  };
  void EditUnits(const std::vector<UnitEdit>& edits, const QString& step);

  // Apply Changes through the store; units that now hold another program's changes too are
  // signalled. Gives the store's answer.
  bool ApplyChanges();

  // The store is about to read the file again (a restore): the history describes records that
  // are gone, so it is dropped with them.
  void Reload();
  // The game folder changed: the history belongs to another game's file and must never be
  // undone into this one.
  void ForgetHistory();

  // Puts the bytes one step changed from `from` to `to` into unit i, leaving every other byte as
  // it is now: what Apply merged in from another program meanwhile stays. The unit counts as
  // changed while its bytes differ from the file's.
  void Step(std::uint8_t kind, int i, const RawRecord& from, const RawRecord& to);

 signals:
  // Unit i of `kind` holds other values now.
  void UnitChanged(std::uint8_t kind, int index);
  // Apply wrote the changed records: the file's bytes are the units' bytes now.
  void Applied();
  // Every unit may hold other values, or none that can be edited until read again.
  void Reloaded();

 private:
  TDune2kFile& store_;
  QUndoStack* undo_;
};
