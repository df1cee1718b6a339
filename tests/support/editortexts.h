#pragma once

#include <QString>

// The editor's questions and notices exactly as the user reads them, for the tests that check
// what was asked and in which order.

inline const QString kErr6 = QStringLiteral(
    "Error #6: You Have Not Entered The Location For Dune2000.EXE Or The Entered Path Is "
    "Invalid.\rDo You Want To Set This Now?");
inline const QString kErr8 = QStringLiteral(
    "Error #8: You Have Not Specified A Folder To Back The Game Files Up To.\rDo You Want To Do "
    "This Now?");
inline const QString kNoBackup = QStringLiteral(
    "No Backup Files Were Found, We Strongly Suggest That You Back These Files Up. Do You Want "
    "To Back Them Up Now?\r*N.B.* - Once Changes Have Been Made, You Will Have To Re-Install The "
    "Game To Get The Default Settings Back.\r\rClick Yes To Back The Files Up. Click No To Ignore "
    "This Message. Click Cancel To Abort The Operation");
inline const QString kAreYouSure = QStringLiteral(
    "Are You Absolutley Sure This Is What You Want To Do??"
    "?!!!\nClick \"Ok\" To Ignore Our Advice "
    "And Change The Game Files WITHOUT Backing Them Up. You WILL HAVE TO Re-Install The Game To "
    "Restore The Original Settings.\r\rOr Click On \"Cancel\" To Cancel The Operation.");
inline const QString kRunQuestion = QStringLiteral(
    "Changes Have Been Made To Settings In Memory, But They Have Not Been Saved To The Dune2000 "
    "Game Files, Do You Want Them To Be Saved?");
inline const QString kWineNeeded = QStringLiteral(
    "Dune2000 Is A Windows Program And Needs Wine To Run Here, But Neither \"wine\" Nor "
    "\"wine64\" Was Found On The PATH.\rPlease Install Wine (On Debian: The \"wine\" Package, "
    "sudo apt install wine) And Try Again.");
inline const QString kExitQuestion = QStringLiteral(
    "Changes Have Been Made To Settings In Memory, But They Have Not Been Saved To The Dune2000 "
    "Game Files. Do You Want Them To Be Saved Before You Exit?");
inline const QString kBackupFailed = QStringLiteral(
    "Backup Failed.\r*N.B.* - Remember ... Once Changes Have Been Made, You Will Have To "
    "Re-Install The Game To Get The Default Settings Back.");
inline const QString kErr10 = QStringLiteral(
    "Error #10 : You Appear To Have A Early Version Of COMCTL32.DLL. This Will Cause A Few "
    "Inconsistancies In The Toolbars. We Suggest That You Download The Updates Off The Web.\nDo "
    "You Want To Goto The Download Page?");
