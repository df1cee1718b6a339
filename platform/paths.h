#pragma once

#include <QString>
#include <QStringView>

// Path forming for names written the Windows way in the program ("\data\bin\templates.bin").
// Folders the program keeps end in the platform separator and file names are appended to them
// directly; a doubled separator that results is kept, since every file system accepts it.

QChar PathSeparator();

// The text with every backslash turned into the platform separator.
QString NativeText(QStringView windowsStyle);

// The folder with one separator appended when it is not empty and does not end in one.
QString WithTrailingSeparator(const QString& folder);

// The folder part of a path: everything up to and including its last separator or drive colon;
// empty when it has none. Both separators count, so Windows paths read from the registry split too.
QString FolderPart(const QString& path);

// The running program's folder, ending in the separator (see ProgramInfo).
QString ProgramFolder();

// Finds an existing file or folder whatever the letter case of its name components, as the
// game's own file system does. Gives the path with the case found on disk, or an empty text.
QString ResolveExisting(const QString& path);

bool FileExists(const QString& path);    // an existing regular file, found case-insensitively
bool FolderExists(const QString& path);  // an existing folder, found case-insensitively

// The system's message text for an errno value (strerror) or a Windows error code.
QString SystemErrorText(int code);

// The system's own codes for the failures the program names itself, and that tests stand in
// for: errno values, or Windows error codes on Windows.
extern const int kErrorNoSuchFile;
extern const int kErrorNoSuchFolder;
extern const int kErrorDiskFull;

// Creates one folder level; gives false when it exists already or can't be made, and then
// `error` (when given) gets the system's error code, for SystemErrorText.
bool CreateOneFolder(const QString& path, int* error = nullptr);
