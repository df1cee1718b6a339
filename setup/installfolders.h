#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// The folders an install works in: finding, entering, measuring and removing them.

// The longest path text the installer forms; longer results are refused, never cut.
inline constexpr qsizetype kMaxInstallPath = 511;

// Removes the folder with everything in it. A symbolic link is removed itself and never
// followed, neither the folder nor anything in it; read-only files stay, and so do their
// folders, and so do sub-folders whose name starts with a dot. Gives false when there was no
// folder to enter (nothing was done).
bool RemoveTree(const QString& folder);

// True when `pattern` (a name relative to `folder`, with * and ? in its last part) names an
// existing file or folder; letter case does not matter.
bool MarkerFound(const QString& folder, const QString& pattern);

// True when `path` is an existing folder the program may enter.
bool CanEnter(const QString& path);

// Bytes free for the user on the drive of `path`, or -1 when unknown.
std::int64_t FreeSpace(const QString& path);

// The platform's folders that the script's macros name.
QString WindowsFolder();
QString SystemFolder();
// Whether `name` matches `pattern`, in which "*" stands for any text and "?" for any one
// character; letter case does not count.
bool WildcardMatch(QStringView pattern, QStringView name);
