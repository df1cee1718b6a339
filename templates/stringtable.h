#pragma once

#include "unitlayout.h"

#include <QString>

// The editor's string table: every text the user sees that is not a control's caption, keyed
// by its id. Texts are kept exactly as the program has always shown them, misspellings included.
namespace Str {
enum Id : int {
  // Unit names and the hint after a save.
  InfantryName1 = 1001,  // .. 1007
  VehicleName1 = 1101,   // .. 1121
  HintText1 = 1201,

  // The application's title.
  AppTitle = 100,

  // Template store.
  Err2CouldntOpen = 2002,
  Err3Reading = 2003,
  Err4Writing = 2004,
  Err5Saving = 2005,
  ChangesApplied = 2010,
  SavedSuccessfully = 2011,   // %s: the unit's name
  ChangedOnBothSides = 2012,  // %s: the unit's name
  WineNeeded = 2013,
  GameNotStarted = 2014,  // %s: the file and what went wrong

  // Application object, folders, backup and restore.
  FirstRunBackupQuestion = 3001,  // follows the application title
  BackupSuccessful = 3002,
  BackupFailed = 3003,
  Err6NoGameFolder = 3006,
  Err7BackupFailed = 3007,  // %s: the system's error text
  Err8NoBackupFolder = 3008,
  Err9RestoreFailed = 3009,  // %s: the system's error text
  Err11BackupExists = 3011,
  ResetAfterRestoreQuestion = 3020,
  BrowseGameTitle = 3030,
  BrowseBackupTitle = 3031,
  HintCaption = 3040,
  DontShowHintAgain = 3041,

  // Settings windows.
  InfantrySettingsTitle = 3501,
  VehicleSettingsTitle = 3502,
  SaveChangesQuestion = 3503,
  NotAWholeNumber = 3504,  // %1: the field's caption, %2 and %3: its lowest and highest value

  // Main window.
  Err10OldCommonControls = 4010,
  NoBackupQuestion = 4011,
  ApplyWithoutBackupQuestion = 4012,
  RunUnappliedQuestion = 4013,
  ExitUnappliedQuestion = 4014,
  FanSiteAddress = 4020,
  FanSiteHint = 4021,
  HomePageAddress = 4022,
  MessageBoardAddress = 4023,
  CommonControlsAddress = 4024,

  // Mods: the units as text files, imported and exported in the editor.
  ModFileFilter = 4101,
  ImportModTitle = 4102,
  ExportModTitle = 4103,
  ModChangesQuestion = 4104,  // %1: the file's name, %2: the changes, one a line
  ModNoChanges = 4105,        // %1: the file's name
  ModRefused = 4106,          // %1: what is wrong, one fault a line
  ModChangesMore = 4107,      // %1: how many more lines of changes there are
  ModExported = 4108,         // %1: the file
  ModExportFailed = 4109,     // %1: why
  ModNotTheGameFile = 4110,   // %1: the file

  // Feedback form.
  FeedbackFormCaption = 65259,
  FeedbackHeading = 65260,
  FeedbackAddressRequired = 65261,
  FeedbackEmpty = 65262,
  FeedbackSending = 65263,
  FeedbackMailSent = 65232,
  FeedbackOpeningConnection = 65233,
  FeedbackError = 65313,
};
}  // namespace Str

// The text of a string-table entry; an unknown id gives an empty text.
QString LoadStr(int id);

// The unit name tables and the picture files in the game's data\ui_gfx folder, numbered as
// the units are. An empty picture entry means that the vehicle has no picture.
extern const OneBased<QString, InfantryCount> InfantryNames;
extern const OneBased<QString, VehicleCount> VehicleNames;
// The name of unit `i` of `kind`; a number outside its kind's range is a range error.
QString UnitName(std::uint8_t kind, int i);
extern const OneBased<QString, VehicleCount> VehiclePictures;
extern const OneBased<QString, 1> HintTexts;
