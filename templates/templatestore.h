#pragma once

#include "gamefile.h"
#include "recordmerge.h"
#include "unitlayout.h"
#include "unittemplate.h"

#include <QString>

#include <memory>

class QImage;

// The template file of a game folder. Every reader and writer of the game's file (the store,
// backup and restore) names it through here, so that all of them find the same file where a
// folder holds names that differ only in case.
QString TemplatesPath(const QString& gameFolder);

// The least size of a templates.bin: its record table ends with the last unit's record.
std::int64_t TemplatesTableSize();

// Why `path` can't be a game's templates.bin, or an empty text when it can: it must be an
// existing regular file called templates.bin (in any case) of at least TemplatesTableSize().
// The text is Error #2's, followed by the file and what is wrong with it in brackets.
QString TemplatesFileProblem(const QString& path);

// The image with every pixel of its bottom-left pixel's colour made transparent.
QImage TransparentByBottomLeft(const QImage& image);

// The template store: the only part of the editor that opens the game's templates.bin. It holds
// the 7 infantry and 21 vehicle records, hands out and takes back whole copies, encodes committed
// records and writes the changed ones back in place, touching no other byte of the file. It
// reports its own failures and successes in information boxes.
class TDune2kFile {
 public:
  TDune2kFile();
  ~TDune2kFile();
  TDune2kFile(const TDune2kFile&) = delete;
  TDune2kFile& operator=(const TDune2kFile&) = delete;

  // Reads and decodes one record into `slot`, opening (and closing again) the file itself when
  // no handle is open.
  bool ReadRecord(std::uint8_t kind, TUnitTemplate& slot);
  bool OpenTemplates(FileAccess access);
  bool CloseTemplates();

  void GetInfantry(int i, TUnitTemplate& out) const;
  void PutInfantry(int i, const TUnitTemplate& record);
  void GetVehicle(int i, TUnitTemplate& out) const;
  void PutVehicle(int i, const TUnitTemplate& record);

  void LoadInfantry();
  void LoadVehicles();
  void CommitInfantry(int i);
  void CommitVehicle(int i);
  // Writes every changed record into the file, under the file's lock. Another program may have
  // changed the record since it was read: only the bytes changed here since then are written
  // over the file's present bytes, and where both changed the same byte the user decides.
  // Gives true when "Changes Have Been Applied" was reported. The Changed marks are cleared only
  // once everything has reached the disk.
  bool ApplyChanges();
  // Starts the game's program through the shell and goes on. Off Windows it runs under Wine;
  // when there is no Wine, or it could not be started, that is reported.
  void RunGame();
  void ResetLoaded();

  std::uint8_t* InfantryRawData(int i);
  std::uint8_t* VehicleRawData(int i);

  // The same for either kind (ukInfantry or ukVehicle), for the callers that handle both.
  void LoadUnits(std::uint8_t kind);
  bool UnitsLoaded(std::uint8_t kind) const;
  void GetUnit(std::uint8_t kind, int i, TUnitTemplate& out) const;
  void PutUnit(std::uint8_t kind, int i, const TUnitTemplate& record);
  void CommitUnit(std::uint8_t kind, int i);
  std::uint8_t* UnitRawData(std::uint8_t kind, int i);
  // Whether any record was saved here and not yet applied to the file.
  bool HasUnappliedChanges() const;
  // Unit i's record as it was last read from or written to the file.
  const RawRecord& FileBytes(std::uint8_t kind, int i) const;

  // Without a picture: whether vehicle i has a picture file. With one: loads it, shrunk to the
  // 16 x 16 menu image when `small` is set. See the implementation for the details.
  bool LoadVehiclePicture(std::uint8_t kind, std::uint8_t i, bool small, QImage* picture);

  // The names formed from GameFolder.
  QString TemplatesFileName() const;
  QString GameProgramName() const;
  QString PictureFolder() const;

  // Reads and writes go through this opener; tests make it fail.
  void SetFileOpener(FileOpener opener) { opener_ = std::move(opener); }
  // Names the template file directly instead of forming it from GameFolder (command-line use).
  void SetTemplatesFileOverride(const QString& path) { fileOverride_ = path; }

  bool HandleOpen() const { return FileHandle_ != nullptr; }
  // Error reports name the file and the system's reason after the usual text (command line).
  void SetDetailedReports(bool on) { detailedReports_ = on; }

  OneBased<TUnitTemplate, InfantryCount> Infantry;
  OneBased<TUnitTemplate, VehicleCount> Vehicles;
  bool InfantryLoaded = false;
  bool VehiclesLoaded = false;
  QString GameFolder;  // empty, or ending in the separator

 private:
  template <int N>
  void LoadKind(std::uint8_t kind, OneBased<TUnitTemplate, N>& units, bool& loaded);
  template <int N>
  void Commit(OneBased<TUnitTemplate, N>& units, int i, const QString& name);
  struct WriteBack;
  template <int N>
  bool MergeChanged(OneBased<TUnitTemplate, N>& units, OneBased<RawRecord, N>& bases,
                    WriteBack& writeBack);
  bool ReadCurrent(std::int64_t offset, RawRecord& bytes);
  RawRecord* BaseOf(std::uint8_t kind, const TUnitTemplate& slot);
  void Report(int stringId, const QString& value = QString());
  // Reports a failure of the file; the system's reason is taken from errno.
  void ReportFailure(int stringId);
  // Reports a failure whose reason the system can't tell: it is named even where the system's
  // reasons are not (the windows), since nothing else would explain it.
  void ReportFailure(int stringId, const QString& reason);

  std::unique_ptr<FileHandle> FileHandle_;
  FileOpener opener_;
  QString fileOverride_;
  bool detailedReports_ = false;
  // Each slot's record as it was last read from or written to the file: what Apply compares
  // against to find the bytes changed here.
  OneBased<RawRecord, InfantryCount> infantryBase_;
  OneBased<RawRecord, VehicleCount> vehicleBase_;
};
