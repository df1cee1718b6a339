#include "unitdocument.h"

#include "stringtable.h"
#include "templatestore.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <vector>

namespace {

// One Save or edit of one unit. It keeps the record's bytes before and after, so undoing it puts
// back only the bytes this step changed.
class SaveUnitCommand : public QUndoCommand {
 public:
  SaveUnitCommand(TUnitDocument& document, std::uint8_t kind, int index, const RawRecord& before,
                  const RawRecord& after, const QString& text, bool alreadyMade,
                  QUndoCommand* group = nullptr)
      : QUndoCommand(text, group),
        document_(document),
        kind_(kind),
        index_(index),
        before_(before),
        after_(after),
        skipRedo_(alreadyMade) {}

  void undo() override { document_.Step(kind_, index_, after_, before_); }
  void redo() override {
    // A save has already happened when its command is pushed; an edit happens here.
    if (!skipRedo_) document_.Step(kind_, index_, before_, after_);
    skipRedo_ = false;
  }

 private:
  TUnitDocument& document_;
  std::uint8_t kind_;
  int index_;
  RawRecord before_;
  RawRecord after_;
  bool skipRedo_;
};

template <typename F>
void ForEachUnit(F visit) {
  for (int i = 1; i <= InfantryCount; ++i) visit(ukInfantry, i);
  for (int i = 1; i <= VehicleCount; ++i) visit(ukVehicle, i);
}

}  // namespace

TUnitDocument::TUnitDocument(TDune2kFile& store, QObject* parent)
    : QObject(parent), store_(store), undo_(new QUndoStack(this)) {}

TUnitDocument::~TUnitDocument() = default;

void TUnitDocument::SaveUnit(std::uint8_t kind, int i, const TUnitTemplate& record) {
  TUnitTemplate before;
  store_.GetUnit(kind, i, before);
  store_.PutUnit(kind, i, record);
  store_.CommitUnit(kind, i);
  TUnitTemplate after;
  store_.GetUnit(kind, i, after);
  // A save that changed no byte still reports and marks the unit, as it always has, but leaves
  // no step behind that would undo nothing.
  if (after.RawBytes != before.RawBytes) {
    undo_->push(new SaveUnitCommand(*this, kind, i, before.RawBytes, after.RawBytes,
                                    QStringLiteral("Save ") + UnitName(kind, i), true));
  }
  emit UnitChanged(kind, i);
}

void TUnitDocument::EditUnit(std::uint8_t kind, int i, const TUnitTemplate& record,
                             const QString& step) {
  EditUnits({{kind, i, record}}, step);
}

void TUnitDocument::EditUnits(const std::vector<UnitEdit>& edits, const QString& step) {
  // Every record is encoded before the first is changed, so a record that cannot be encoded
  // leaves all of them as they were.
  std::vector<std::pair<RawRecord, RawRecord>> changes;
  for (const UnitEdit& edit : edits) {
    TUnitTemplate before;
    store_.GetUnit(edit.kind, edit.index, before);
    TUnitTemplate after = edit.record;
    if (!edit.wholeRecord) {
      after.RawBytes = before.RawBytes;
      EncodeRecord(after);
    }
    changes.emplace_back(before.RawBytes, after.RawBytes);
  }
  std::vector<size_t> changed;
  for (size_t n = 0; n < changes.size(); ++n) {
    if (changes[n].first != changes[n].second) changed.push_back(n);
  }
  if (changed.empty()) return;
  // Pushing runs the step: the store takes the bytes and the views hear of it through Step.
  if (changed.size() == 1) {
    const UnitEdit& edit = edits[changed[0]];
    undo_->push(new SaveUnitCommand(*this, edit.kind, edit.index, changes[changed[0]].first,
                                    changes[changed[0]].second, step, false));
    return;
  }
  auto* group = new QUndoCommand(step);
  for (size_t n : changed) {
    new SaveUnitCommand(*this, edits[n].kind, edits[n].index, changes[n].first, changes[n].second,
                        step, false, group);
  }
  undo_->push(group);
}

void TUnitDocument::Step(std::uint8_t kind, int i, const RawRecord& from, const RawRecord& to) {
  TUnitTemplate unit;
  store_.GetUnit(kind, i, unit);
  for (size_t b = 0; b < unit.RawBytes.size(); ++b) {
    if (from[b] != to[b]) unit.RawBytes[b] = to[b];
  }
  DecodeRecord(unit, unit.RawBytes.data());
  // Back at the file's bytes there is nothing left to apply; after Apply, undoing brings the
  // old values back as a change the next Apply writes.
  unit.Changed = unit.RawBytes != store_.FileBytes(kind, i);
  store_.PutUnit(kind, i, unit);
  emit UnitChanged(kind, i);
}

bool TUnitDocument::ApplyChanges() {
  std::vector<RawRecord> before;
  ForEachUnit([&](std::uint8_t kind, int i) {
    TUnitTemplate unit;
    store_.GetUnit(kind, i, unit);
    before.push_back(unit.RawBytes);
  });
  const bool applied = store_.ApplyChanges();
  size_t n = 0;
  ForEachUnit([&](std::uint8_t kind, int i) {
    TUnitTemplate unit;
    store_.GetUnit(kind, i, unit);
    if (unit.RawBytes != before[n++]) emit UnitChanged(kind, i);
  });
  emit Applied();
  return applied;
}

void TUnitDocument::Reload() {
  undo_->clear();
  store_.ResetLoaded();
  emit Reloaded();
}

void TUnitDocument::ForgetHistory() {
  undo_->clear();
}
