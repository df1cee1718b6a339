#pragma once

#include "gamefile.h"
#include "gendefs.h"
#include "unittemplate.h"

#include <QString>

#include <memory>

class QImage;

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
  // Writes every changed record into the file. Gives true when "Changes Have Been Applied" was
  // reported.
  bool ApplyChanges();
  void RunGame();
  void ResetLoaded();

  std::uint8_t* InfantryRawData(int i);
  std::uint8_t* VehicleRawData(int i);

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
  template <int N>
  bool WriteChanged(OneBased<TUnitTemplate, N>& units, std::uint8_t kind);
  void Report(int stringId, const QString& value = QString());

  std::unique_ptr<FileHandle> FileHandle_;
  FileOpener opener_;
  QString fileOverride_;
};
