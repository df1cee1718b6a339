#include "templatestore.h"

#include "dialogs.h"
#include "paths.h"
#include "shell.h"
#include "stringtable.h"
#include "textformat.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

// Closes the template file on leaving a scope, when the scope opened it.
class CloseIfOpened {
 public:
  CloseIfOpened(TDune2kFile& store, bool opened) : store_(store), opened_(opened) {}
  ~CloseIfOpened() {
    if (opened_) store_.CloseTemplates();
  }
  CloseIfOpened(const CloseIfOpened&) = delete;
  CloseIfOpened& operator=(const CloseIfOpened&) = delete;

 private:
  TDune2kFile& store_;
  bool opened_;
};

}  // namespace

QString TemplatesPath(const QString& gameFolder) {
  return gameFolder + NativeText(u"\\data\\bin\\templates.bin");
}

std::int64_t TemplatesTableSize() {
  std::int64_t end = 0;
  for (std::int64_t offset : InfantryOffsets) end = std::max(end, offset + RecordSize);
  for (std::int64_t offset : VehicleOffsets) end = std::max(end, offset + RecordSize);
  return end;
}

QString TemplatesFileProblem(const QString& path) {
  const auto problem = [](const QString& file, const QString& why) {
    return u"%1 (%2: %3)"_s.arg(LoadStr(Str::Err2CouldntOpen), file, why);
  };
  const QString found = ResolveExisting(path);
  if (found.isEmpty()) return problem(path, SystemErrorText(ENOENT));
  const QFileInfo info(found);
  if (!info.isFile()) return problem(found, u"not a regular file"_s);
  if (info.fileName().compare(u"templates.bin"_s, Qt::CaseInsensitive) != 0) {
    return problem(found, u"only a file called templates.bin holds the unit records"_s);
  }
  if (info.size() < TemplatesTableSize()) {
    return problem(found,
                   u"%1 bytes, but the game's templates.bin holds at least %2"_s.arg(info.size())
                       .arg(TemplatesTableSize()));
  }
  return {};
}

QImage TransparentByBottomLeft(const QImage& image) {
  if (image.isNull()) return image;
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = keyed.pixel(0, keyed.height() - 1);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
  }
  return keyed;
}

TDune2kFile::TDune2kFile() : opener_(&OpenExistingFile) {
  for (int i = 1; i <= InfantryCount; ++i) Infantry[i].Index = i;
  for (int i = 1; i <= VehicleCount; ++i) Vehicles[i].Index = i;
}

TDune2kFile::~TDune2kFile() = default;

QString TDune2kFile::TemplatesFileName() const {
  if (!fileOverride_.isEmpty()) return fileOverride_;
  return TemplatesPath(GameFolder);
}

QString TDune2kFile::GameProgramName() const {
  return GameFolder + NativeText(u"\\Dune2000.exe");
}

QString TDune2kFile::PictureFolder() const {
  return GameFolder + NativeText(u"data\\ui_gfx\\");
}

void TDune2kFile::Report(int stringId, const QString& value) {
  const QString text = value.isNull() ? LoadStr(stringId) : Format(LoadStr(stringId), {value});
  MessageDlg(MsgKind::Information, text, mbOK);
}

void TDune2kFile::ReportFailure(int stringId) {
  const int reason = errno;
  if (!detailedReports_) return Report(stringId);
  ReportFailure(stringId, SystemErrorText(reason));
}

void TDune2kFile::ReportFailure(int stringId, const QString& reason) {
  const QString where = detailedReports_ ? TemplatesFileName() + u": "_s : QString();
  MessageDlg(MsgKind::Information, u"%1 (%2%3)"_s.arg(LoadStr(stringId), where, reason), mbOK);
}

RawRecord* TDune2kFile::BaseOf(std::uint8_t kind, const TUnitTemplate& slot) {
  // Only the store's own slots have a base; a caller's record read for a look has none.
  if (kind == ukInfantry && OneBased<TUnitTemplate, InfantryCount>::InRange(slot.Index) &&
      &Infantry[slot.Index] == &slot) {
    return &infantryBase_[slot.Index];
  }
  if (kind == ukVehicle && OneBased<TUnitTemplate, VehicleCount>::InRange(slot.Index) &&
      &Vehicles[slot.Index] == &slot) {
    return &vehicleBase_[slot.Index];
  }
  return nullptr;
}

bool TDune2kFile::OpenTemplates(FileAccess access) {
  if (FileHandle_) return true;
  FileHandle_ = opener_(TemplatesFileName(), access);
  return FileHandle_ != nullptr;
}

bool TDune2kFile::CloseTemplates() {
  if (!FileHandle_) return true;
  if (!FileHandle_->Close()) return false;
  FileHandle_.reset();
  return true;
}

bool TDune2kFile::ReadRecord(std::uint8_t kind, TUnitTemplate& slot) {
  const bool opened = !FileHandle_;
  if (opened && !OpenTemplates(FileAccess::Read)) {
    ReportFailure(Str::Err2CouldntOpen);
    return false;
  }
  CloseIfOpened closer(*this, opened);

  const std::int64_t offset = UnitOffset(kind, slot.Index);
  // Read aside and take the bytes only when the read worked: a failed read must leave the slot
  // as it was, or its next write-back would put a zeroed record into the game.
  RawRecord bytes{};
  FileHandle_->Seek(offset);  // a failed seek shows in the read that follows
  // A short read is no failure: a short file leaves the tail of the record zero.
  if (FileHandle_->Read(bytes.data(), RecordSize) < 0) {
    ReportFailure(Str::Err3Reading);
    return false;
  }
  slot.RawBytes = bytes;
  if (RawRecord* base = BaseOf(kind, slot)) *base = bytes;
  DecodeRecord(slot, slot.RawBytes.data());
  return true;
}

template <int N>
void TDune2kFile::LoadKind(std::uint8_t kind, OneBased<TUnitTemplate, N>& units, bool& loaded) {
  if (loaded) return;
  if (!OpenTemplates(FileAccess::Read)) {
    ReportFailure(Str::Err2CouldntOpen);
    return;
  }
  CloseIfOpened closer(*this, true);
  for (int i = 1; i <= N; ++i) {
    if (!ReadRecord(kind, units[i])) break;
    loaded = true;
  }
}

void TDune2kFile::LoadInfantry() {
  LoadKind(ukInfantry, Infantry, InfantryLoaded);
}
void TDune2kFile::LoadVehicles() {
  LoadKind(ukVehicle, Vehicles, VehiclesLoaded);
}

void TDune2kFile::GetInfantry(int i, TUnitTemplate& out) const {
  out = Infantry[i];
}
void TDune2kFile::PutInfantry(int i, const TUnitTemplate& record) {
  Infantry[i] = record;
}
void TDune2kFile::GetVehicle(int i, TUnitTemplate& out) const {
  out = Vehicles[i];
}
void TDune2kFile::PutVehicle(int i, const TUnitTemplate& record) {
  Vehicles[i] = record;
}

template <int N>
void TDune2kFile::Commit(OneBased<TUnitTemplate, N>& units, int i, const QString& name) {
  TUnitTemplate& slot = units[i];
  EncodeRecord(slot);
  slot.Changed = true;
  // Decoding again shows exactly what the file will receive (Flag37 as 0/1, no Emperor).
  DecodeRecord(slot, slot.RawBytes.data());
  Report(Str::SavedSuccessfully, name);
}

void TDune2kFile::CommitInfantry(int i) {
  Commit(Infantry, i, InfantryNames[i]);
}
void TDune2kFile::CommitVehicle(int i) {
  Commit(Vehicles, i, VehicleNames[i]);
}

// The changed records on their way to the file.
struct TDune2kFile::WriteBack {
  struct Record {
    TUnitTemplate* slot;
    RawRecord* base;
    std::int64_t offset;
  };
  std::vector<Record> records;
  // Each record as the file holds it now, and as this write-back will leave it: two units may
  // share a record, and the later one builds on the earlier one's bytes.
  std::map<std::int64_t, RawRecord> onDisk;
  std::map<std::int64_t, RawRecord> planned;
};

bool TDune2kFile::ReadCurrent(std::int64_t offset, RawRecord& bytes) {
  FileHandle_->Seek(offset);
  const std::int64_t got = FileHandle_->Read(bytes.data(), RecordSize);
  if (got < 0) {
    ReportFailure(Str::Err3Reading);
    return false;
  }
  // A file that ends inside the record is no game file: writing the record would grow it.
  if (got < RecordSize) {
    errno = EINVAL;
    ReportFailure(Str::Err5Saving);
    return false;
  }
  return true;
}

template <int N>
bool TDune2kFile::MergeChanged(OneBased<TUnitTemplate, N>& units, OneBased<RawRecord, N>& bases,
                               WriteBack& writeBack) {
  const std::uint8_t kind = N == InfantryCount ? ukInfantry : ukVehicle;
  for (TUnitTemplate& slot : units) {
    if (!slot.Changed) continue;
    const std::int64_t offset = UnitOffset(kind, slot.Index);
    RawRecord& base = bases[slot.Index];
    if (!writeBack.onDisk.contains(offset)) {
      RawRecord current{};
      if (!ReadCurrent(offset, current)) return false;
      writeBack.onDisk[offset] = current;
      writeBack.planned[offset] = current;
    }
    const RawRecord& disk = writeBack.onDisk[offset];
    // Only another program's changes make a question; the other unit of a shared record is ours.
    const RecordMerge againstDisk = MergeRecord(base, slot.RawBytes, disk);
    RecordMerge merge = MergeRecord(base, slot.RawBytes, writeBack.planned[offset]);
    if (!againstDisk.conflicts.empty()) {
      const QString name =
          kind == ukInfantry ? InfantryNames[slot.Index] : VehicleNames[slot.Index];
      switch (MessageDlg(MsgKind::Confirmation, Format(LoadStr(Str::ChangedOnBothSides), {name}),
                         mbYes | mbNo | mbCancel)) {
        case MsgResult::Yes:
          break;
        case MsgResult::No:
          merge.conflicts = againstDisk.conflicts;
          merge.KeepTheirs(disk);
          break;
        default:
          return false;
      }
    }
    writeBack.planned[offset] = merge.bytes;
    writeBack.records.push_back({&slot, &base, offset});
  }
  return true;
}

bool TDune2kFile::ApplyChanges() {
  if (!OpenTemplates(FileAccess::ReadWrite)) {
    ReportFailure(Str::Err2CouldntOpen);
    return false;
  }
  CloseIfOpened closer(*this, true);
  // The lock keeps a second editor or the command line from writing between our read and write.
  switch (FileHandle_->Lock()) {
    case LockOutcome::Locked:
      break;
    case LockOutcome::Busy:
      ReportFailure(Str::Err2CouldntOpen, LockedByAnotherText());
      return false;
    case LockOutcome::Failed:
      ReportFailure(Str::Err2CouldntOpen);
      return false;
  }
  try {
    // Vehicles go last, so where two units share a record the vehicle's bytes are kept.
    WriteBack writeBack;
    if (!MergeChanged(Infantry, infantryBase_, writeBack) ||
        !MergeChanged(Vehicles, vehicleBase_, writeBack)) {
      return false;
    }
    // Still one write per changed record, so a shared record is written twice, the same bytes.
    for (const WriteBack::Record& r : writeBack.records) {
      FileHandle_->Seek(r.offset);
      if (FileHandle_->Write(writeBack.planned[r.offset].data(), RecordSize) != RecordSize) {
        ReportFailure(Str::Err4Writing);
        return false;
      }
    }
    // The marks stay until the bytes have reached the disk, so that a retry writes them again.
    if (!FileHandle_->Flush()) {
      ReportFailure(Str::Err4Writing);
      return false;
    }
    for (const WriteBack::Record& r : writeBack.records) {
      // The slot now shows what the file holds, the other program's changes included.
      *r.base = writeBack.planned[r.offset];
      r.slot->RawBytes = writeBack.planned[r.offset];
      DecodeRecord(*r.slot, r.slot->RawBytes.data());
      r.slot->Changed = false;
    }
  } catch (const std::exception&) {
    Report(Str::Err5Saving);
    return false;
  }
  Report(Str::ChangesApplied);
  return true;
}

void TDune2kFile::RunGame() {
  const ProgramStart start = Shell().StartWindowsProgram(GameProgramName());
  if (start.outcome == ProgramStart::Outcome::NoWine) {
    Report(Str::WineNeeded);
  } else if (start.outcome == ProgramStart::Outcome::Failed) {
    Report(Str::GameNotStarted, start.reason);
  }
}

void TDune2kFile::ResetLoaded() {
  InfantryLoaded = false;
  VehiclesLoaded = false;
}

std::uint8_t* TDune2kFile::InfantryRawData(int i) {
  return Infantry[i].RawBytes.data();
}
std::uint8_t* TDune2kFile::VehicleRawData(int i) {
  return Vehicles[i].RawBytes.data();
}

void TDune2kFile::LoadUnits(std::uint8_t kind) {
  kind == ukInfantry ? LoadInfantry() : LoadVehicles();
}
bool TDune2kFile::UnitsLoaded(std::uint8_t kind) const {
  return kind == ukInfantry ? InfantryLoaded : VehiclesLoaded;
}
void TDune2kFile::GetUnit(std::uint8_t kind, int i, TUnitTemplate& out) const {
  kind == ukInfantry ? GetInfantry(i, out) : GetVehicle(i, out);
}
void TDune2kFile::PutUnit(std::uint8_t kind, int i, const TUnitTemplate& record) {
  kind == ukInfantry ? PutInfantry(i, record) : PutVehicle(i, record);
}
void TDune2kFile::CommitUnit(std::uint8_t kind, int i) {
  kind == ukInfantry ? CommitInfantry(i) : CommitVehicle(i);
}
std::uint8_t* TDune2kFile::UnitRawData(std::uint8_t kind, int i) {
  return kind == ukInfantry ? InfantryRawData(i) : VehicleRawData(i);
}

bool TDune2kFile::HasUnappliedChanges() const {
  for (int i = 1; i <= InfantryCount; ++i) {
    if (Infantry[i].Changed) return true;
  }
  for (int i = 1; i <= VehicleCount; ++i) {
    if (Vehicles[i].Changed) return true;
  }
  return false;
}

const RawRecord& TDune2kFile::FileBytes(std::uint8_t kind, int i) const {
  return kind == ukInfantry ? infantryBase_[i] : vehicleBase_[i];
}

bool TDune2kFile::LoadVehiclePicture(std::uint8_t kind, std::uint8_t i, bool small,
                                     QImage* picture) {
  // An entry without a name names the folder itself, which is never a picture file.
  const QString file = PictureFolder() + VehiclePictures[i];
  if (!picture) return kind == ukVehicle && FileExists(file);

  const QString found = ResolveExisting(file);
  if (!small) {
    QImage loaded;
    // A picture that can't be loaded leaves the given one as it was.
    if (!found.isEmpty() && loaded.load(found)) *picture = loaded;
    return !picture->isNull();
  }

  QImage loaded;
  if (found.isEmpty() || !loaded.load(found)) return false;
  // The whole picture is stretched to a width of W / (W div 16): exactly 16 when its width is a
  // multiple of 16; anything wider than the 16 x 16 image is clipped.
  const int n = loaded.width() / 16;
  if (n == 0) return false;  // narrower than one frame: nothing sensible to show
  const int w = loaded.width() / n;
  QImage menuImage(16, 16, QImage::Format_ARGB32);
  menuImage.fill(Qt::white);
  {
    QPainter painter(&menuImage);
    painter.drawImage(QRect(0, 0, w, 16), loaded);
  }
  *picture = TransparentByBottomLeft(menuImage);
  return !picture->isNull();
}
