#pragma once

#include <QString>
#include <QStringView>

// The installer's own string table. Code and script refer to its entries by number; a caption or
// text written as "@n" stands for entry n.
enum SetupMessage : int {
  smSetup = 1,
  smError = 2,
  smNoScript = 3,
  smInstallingFrom = 4,
  smNoMemory = 5,
  smCannotReadScript = 6,
  smBadScript = 7,
  smUpdateQuestion = 9,
  smQuestion = 11,
  smWarning = 12,
  smCannotCreateFolder = 13,
  smCannotEnterFolder = 14,
  smCompleted = 15,
  smNoSpace = 16,
  smInsertDisk = 17,
  smAbortQuestion = 18,
  smNotCompleted = 19,
  smCreatingFolder = 20,
  smChangingFolder = 21,
  smInflating = 22,
  smWaitingForDisk = 23,
  smExecuting = 24,
  smDeletingFile = 25,
  smDeletingFolder = 26,
  smCannotOpenSource = 27,
  smCannotOpenDestination = 28,
  smCannotDecompress = 29,
  smIgnoredCommand = 30,
  smCreatingLink = 31,
  smBadDiskCount = 32,
  smCopying = 33,
  smCompletedWithErrors = 34,
  smCannotWriteDestination = 35,
  smNotARegularFile = 36,
  smZeroByteInScript = 37,
  smTooManyCommands = 38,
};

// Entry `id`, or an empty text for a number the table does not hold.
QString SetupString(int id);

// The reference "@n" to entry `id`, as a message box takes its caption and text.
QString SetupRef(int id);

// A caption or text as shown: "@n" is replaced by entry n (at most 299 characters of it), any
// other text stays as it is.
QString SetupText(const QString& textOrReference);

// A name as the installer shows it: every control character (C0, DEL, C1) written as \xHH, so
// that a name can neither break a line nor send a terminal its escape sequences. With
// KeepLineBreaks::Yes the line feeds that separate a message's lines stay.
enum class KeepLineBreaks { No, Yes };
QString Shown(QStringView name, KeepLineBreaks keep = KeepLineBreaks::No);

// The text shown for a failure code of the expansion (27 to 30, 36). A failed write is code 30,
// whose table entry is a leftover, so it is told with a text of its own.
QString ExpansionFailureText(int code);
