#include "d2kfile.h"

#include "dialogs.h"
#include "paths.h"
#include "resstrings.h"
#include "shell.h"
#include "textformat.h"

#include <QImage>
#include <QPainter>

#include <exception>

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
  return GameFolder + NativeText(u"\\data\\bin\\templates.bin");
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
    Report(Str::Err2CouldntOpen);
    return false;
  }
  CloseIfOpened closer(*this, opened);

  const std::int64_t offset = UnitOffset(kind, slot.Index);
  slot.RawBytes.fill(0);
  FileHandle_->Seek(offset);  // a failed seek shows in the read that follows
  // A short read is no failure: a short file leaves the tail of the record zero.
  if (FileHandle_->Read(slot.RawBytes.data(), RecordSize) < 0) {
    Report(Str::Err3Reading);
    return false;
  }
  DecodeRecord(slot, slot.RawBytes.data());
  return true;
}

template <int N>
void TDune2kFile::LoadKind(std::uint8_t kind, OneBased<TUnitTemplate, N>& units, bool& loaded) {
  if (loaded) return;
  if (!OpenTemplates(FileAccess::Read)) {
    Report(Str::Err2CouldntOpen);
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

template <int N>
bool TDune2kFile::WriteChanged(OneBased<TUnitTemplate, N>& units, std::uint8_t kind) {
  for (TUnitTemplate& slot : units) {
    if (!slot.Changed) continue;
    FileHandle_->Seek(UnitOffset(kind, slot.Index));
    if (FileHandle_->Write(slot.RawBytes.data(), RecordSize) != RecordSize) {
      Report(Str::Err4Writing);
      return false;
    }
    slot.Changed = false;
  }
  return true;
}

bool TDune2kFile::ApplyChanges() {
  if (!OpenTemplates(FileAccess::Write)) {
    Report(Str::Err2CouldntOpen);
    return false;
  }
  CloseIfOpened closer(*this, true);
  try {
    // Vehicles go last, so where two units share a record the vehicle's bytes are kept.
    if (!WriteChanged(Infantry, ukInfantry) || !WriteChanged(Vehicles, ukVehicle)) return false;
    // Only report success once the bytes have reached the disk.
    if (!FileHandle_->Flush()) {
      Report(Str::Err4Writing);
      return false;
    }
  } catch (const std::exception&) {
    Report(Str::Err5Saving);
    return false;
  }
  Report(Str::ChangesApplied);
  return true;
}

void TDune2kFile::RunGame() {
  Shell().Open(GameProgramName());
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
