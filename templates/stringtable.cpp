#include "stringtable.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

const QHash<int, QString>& Table() {
  static const QHash<int, QString> table = {
      {Str::AppTitle, u"Saltmarch 98 : Glass Horizon (\u00DF 1.2)"_s},

      {Str::InfantryName1 + 0, u"Light Infantry"_s},
      {Str::InfantryName1 + 1, u"Troopers"_s},
      {Str::InfantryName1 + 2, u"Fremen"_s},
      {Str::InfantryName1 + 3, u"Sardaukar"_s},
      {Str::InfantryName1 + 4, u"Engineer"_s},
      {Str::InfantryName1 + 5, u"Thumper"_s},
      {Str::InfantryName1 + 6, u"Saboteur"_s},

      {Str::VehicleName1 + 0, u"Trike"_s},
      {Str::VehicleName1 + 1, u"Raider"_s},
      {Str::VehicleName1 + 2, u"Quad"_s},
      {Str::VehicleName1 + 3, u"Harvester"_s},
      {Str::VehicleName1 + 4, u"Atriedies Combat Tank"_s},
      {Str::VehicleName1 + 5, u"Harkonnen Combat Tank"_s},
      {Str::VehicleName1 + 6, u"Ordos Combat Tank"_s},
      {Str::VehicleName1 + 7, u"Mobile Contruction Vehicle"_s},
      {Str::VehicleName1 + 8, u"Missile Tank"_s},
      {Str::VehicleName1 + 9, u"Ordos Deviator"_s},
      {Str::VehicleName1 + 10, u"Siege Tank"_s},
      {Str::VehicleName1 + 11, u"Sonic Tank"_s},
      {Str::VehicleName1 + 12, u"Harkonnen Devastator"_s},
      {Str::VehicleName1 + 13, u"CarryAll #1"_s},
      {Str::VehicleName1 + 14, u"CarryAll #2"_s},
      {Str::VehicleName1 + 15, u"Ornithopter"_s},
      {Str::VehicleName1 + 16, u"Harkonnen Death Hand"_s},
      {Str::VehicleName1 + 17, u"Unknown Unit #1"_s},
      {Str::VehicleName1 + 18, u"Unknown Unit #2"_s},
      {Str::VehicleName1 + 19, u"Unknown Unit #3"_s},
      {Str::VehicleName1 + 20, u"Unknown Unit #4"_s},

      {Str::HintText1,
       u"The Unit Has Been Saved To Memory. The Settings In Dune2000 Will Not Change Until You "
       "Click On The 'Apply Changes' Button On The Main Toolbar"_s},

      {Str::Err2CouldntOpen, u"Error #2 : Couldn't Open TEMPLATES.BIN"_s},
      {Str::Err3Reading, u"Error #3 : Error Reading Data From TEMPLATES.BIN"_s},
      {Str::Err4Writing, u"Error #4 : Error Writing To TEMPLATES.BIN"_s},
      {Str::Err5Saving, u"Error #5 : Error Saving To TEMPLATES.BIN"_s},
      {Str::ChangesApplied, u"Changes Have Been Applied"_s},
      {Str::SavedSuccessfully, u"%s Saved Successfully"_s},
      {Str::ChangedOnBothSides,
       u"%s Has Been Changed In TEMPLATES.BIN By Another Program Since It Was Loaded, And Some "
       "Of Those Changes Are To The Same Settings You Have Changed.\rDo You Want To Keep Your "
       "Settings There?\r\rYes - Keep Yours, No - Keep The Other Program's, Cancel - Apply "
       "Nothing"_s},
      {Str::WineNeeded,
       u"Dune2000 Is A Windows Program And Needs Wine To Run Here, But Neither \"wine\" Nor "
       "\"wine64\" Was Found On The PATH.\rPlease Install Wine (On Debian: The \"wine\" "
       "Package, sudo apt install wine) And Try Again."_s},
      {Str::GameNotStarted, u"Couldn't Start Dune2000 With Wine (%s)"_s},

      {Str::FirstRunBackupQuestion,
       u" Will Make Changes To Your Dune2000 Game Files. Therefore We Strongly Suggest That You "
       "Back These Files Up. Do You Want To Back Them Up Now?\r\r*N.B.* - If You Select No, Once "
       "Changes Have Been Made, You Will Have To Re-Install The Game To Get The Default Settings "
       "Back."_s},
      {Str::BackupSuccessful, u"Backup Was Successful"_s},
      {Str::BackupFailed,
       u"Backup Failed.\r*N.B.* - Remember ... Once Changes Have Been Made, You Will Have To "
       "Re-Install The Game To Get The Default Settings Back."_s},
      {Str::Err6NoGameFolder,
       u"Error #6: You Have Not Entered The Location For Dune2000.EXE Or The Entered Path Is "
       "Invalid.\rDo You Want To Set This Now?"_s},
      {Str::Err7BackupFailed,
       u"Error #7 : An Error Occurred When Backing Up The Dune2000 Game File (Templates.Bin)."
       "\rError Message : \"%s\""_s},
      {Str::Err8NoBackupFolder,
       u"Error #8: You Have Not Specified A Folder To Back The Game Files Up To.\rDo You Want To "
       "Do This Now?"_s},
      {Str::Err9RestoreFailed,
       u"Error #9 : An Error Occurred When Restoring The Dune2000 Game File (Templates.Bin)."
       "\rError Message : \"%s\""_s},
      {Str::Err11BackupExists,
       u"Error #11 : A Backup Allready Exists, Are You Sure You Want To Overwrite It?"_s},
      {Str::ResetAfterRestoreQuestion,
       u"You Have Restored The Old Settings. Do You Want To Reset The Settings Saved In Memory As "
       "Well. If You Do Not Do This, The Old Settings May Get Saved Back Into The Restored File "
       "Again."_s},
      {Str::BrowseGameTitle, u"Find Dune2000.EXE"_s},
      {Str::BrowseBackupTitle, u"Select a folder to put the backup files into."_s},
      {Str::HintCaption, u"Saltmarch 98"_s},
      {Str::DontShowHintAgain, u"Don't Show This Hint Again"_s},

      {Str::InfantrySettingsTitle, u"Infantry Settings"_s},
      {Str::VehicleSettingsTitle, u"Vehicle Settings"_s},
      {Str::SaveChangesQuestion, u"Changes Have Been Made, Do You Want Them To Be Saved?"_s},
      {Str::NotAWholeNumber,
       u"The Value Entered For %1 Is Not A Whole Number From %2 To %3. The Unit Has Not Been "
       "Saved."_s},

      {Str::Err10OldCommonControls,
       u"Error #10 : You Appear To Have A Early Version Of COMCTL32.DLL. This Will Cause A Few "
       "Inconsistancies In The Toolbars. We Suggest That You Download The Updates Off The "
       "Web.\nDo You Want To Goto The Download Page?"_s},
      {Str::NoBackupQuestion,
       u"No Backup Files Were Found, We Strongly Suggest That You Back These Files Up. Do You "
       "Want To Back Them Up Now?\r*N.B.* - Once Changes Have Been Made, You Will Have To "
       "Re-Install The Game To Get The Default Settings Back.\r\rClick Yes To Back The Files "
       "Up. Click No To Ignore This Message. Click Cancel To Abort The Operation"_s},
      {Str::ApplyWithoutBackupQuestion,
       u"Are You Absolutley Sure This Is What You Want To Do???"
       "!!!\nClick \"Ok\" To Ignore Our "
       "Advice And Change The Game Files WITHOUT Backing Them Up. You WILL HAVE TO Re-Install "
       "The Game To Restore The Original Settings.\r\rOr Click On \"Cancel\" To Cancel The "
       "Operation."_s},
      {Str::RunUnappliedQuestion,
       u"Changes Have Been Made To Settings In Memory, But They Have Not Been Saved To The "
       "Dune2000 Game Files, Do You Want Them To Be Saved?"_s},
      {Str::ExitUnappliedQuestion,
       u"Changes Have Been Made To Settings In Memory, But They Have Not Been Saved To The "
       "Dune2000 Game Files. Do You Want Them To Be Saved Before You Exit?"_s},
      {Str::FanSiteAddress, u"http://www.dune2k.com/"_s},
      {Str::FanSiteHint, u"Jump To Dune2k.com For The Latest Dune2000 News"_s},
      {Str::HomePageAddress, u"http://www.pellworth.co.uk/saltmarch98/"_s},
      {Str::MessageBoardAddress, u"http://www.pellworth.co.uk/saltmarch98/board/"_s},
      {Str::ModFileFilter, u"Unit mods (*.json *.csv)"_s},
      {Str::ImportModTitle, u"Import Mod"_s},
      {Str::ExportModTitle, u"Export Mod"_s},
      {Str::ModChangesQuestion,
       u"%1 Makes These Changes To The Units:\r\r%2\r\rDo You Want To Make Them? The Settings In "
       "Dune2000 Will Not Change Until You Apply Changes."_s},
      {Str::ModNoChanges, u"No Changes: The Units Already Hold Every Value Of %1"_s},
      {Str::ModRefused, u"The Mod Can't Be Imported, No Unit Has Been Changed.\r\r%1"_s},
      {Str::ModChangesMore, u"... and %1 more"_s},
      {Str::ModExported, u"The Units Have Been Exported To %1"_s},
      {Str::ModExportFailed, u"Export Failed, Nothing Has Been Written.\r\r%1"_s},
      {Str::ModNotTheGameFile, u"%1 is the game's own unit file; choose another"_s},
      {Str::FeedbackFormCaption, u"Send Beta Version Feedback To P.W.S"_s},
      {Str::FeedbackHeading, u"Beta Version Feedback Form"_s},
      {Str::FeedbackAddressRequired, u"You need to specify your mail address"_s},
      {Str::FeedbackEmpty,
       u"You haven't typed anything in the feedback window, is this OK to send?"_s},
      {Str::FeedbackSending, u"Sending Mail..."_s},
      {Str::FeedbackMailSent, u"Mail Sent Successfully."_s},
      {Str::FeedbackOpeningConnection, u"Opening Connection"_s},
      {Str::FeedbackError, u"Error"_s},
      {Str::CommonControlsAddress,
       u"http://www.microsoft.com/msdownload/ieplatform/ie/comctrlx86.asp"_s},
  };
  return table;
}

template <int N>
OneBased<QString, N> Names(int firstId) {
  OneBased<QString, N> names;
  for (int i = 1; i <= N; ++i) names[i] = LoadStr(firstId + i - 1);
  return names;
}

}  // namespace

QString LoadStr(int id) {
  return Table().value(id);
}

const OneBased<QString, InfantryCount> InfantryNames = Names<InfantryCount>(Str::InfantryName1);
QString UnitName(std::uint8_t kind, int i) {
  return kind == ukInfantry ? InfantryNames[i] : VehicleNames[i];
}

const OneBased<QString, VehicleCount> VehicleNames = Names<VehicleCount>(Str::VehicleName1);
const OneBased<QString, 1> HintTexts = Names<1>(Str::HintText1);

const OneBased<QString, VehicleCount> VehiclePictures = {
    u"A_TRIKE.BMP"_s, u"O_RAID.BMP"_s,  u"A_QUAD.BMP"_s, u"A_HARV.BMP"_s,  u"A_CTANK.BMP"_s,
    u"H_CTANK.BMP"_s, u"O_CTANK.BMP"_s, u"A_MCV.BMP"_s,  u"H_MTANK.BMP"_s, u"O_DEVI.BMP"_s,
    u"A_STANK.BMP"_s, u"A_SONIC.BMP"_s, u"H_DEV.BMP"_s,  u"A_CARRY.BMP"_s, u"H_CARRY.BMP"_s,
    u"H_death.bmp"_s, QString(),        QString(),       QString(),        QString(),
    QString()};
