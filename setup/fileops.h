#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <span>

// The file work of the install commands, on paths already in the platform's form.

// The longest path text the installer forms; longer results are refused, never cut.
inline constexpr qsizetype kMaxInstallPath = 511;
// Bytes moved per read of an expansion.
inline constexpr std::int64_t kExpandBlock = 32000;

class StagedFile;

// Expands `source` (Microsoft LZ format, or a plain file that passes through unchanged) into
// `destination`: created or emptied when `create`, else appended to. `buffer` holds at least one
// block; `progress` gets the share done, 0 to 100, after every block. Gives 0, or the message
// number of the failure: 27 source, 28 destination, 29 damaged data, 30 failed write, 36 the
// destination is a link, a pipe or a device. The new content takes the destination's place only
// when it is complete: after a failure the destination is as it was.
int ExpandFile(const QString& source, const QString& destination, bool create,
               std::span<char> buffer, const std::function<void(int)>& progress);

// Expands `source` to the end of `out` (opened here on first use); failures as above. Several
// sources make one file this way, which takes its destination's place on `out.Commit()`.
int ExpandInto(const QString& source, StagedFile& out, std::span<char> buffer,
               const std::function<void(int)>& progress);

// Removes the folder with everything in it. A symbolic link is removed itself and never
// followed, neither the folder nor anything in it; read-only files stay, and so do their
// folders, and so do sub-folders whose name starts with a dot. Gives false when there was no
// folder to enter (nothing was done).
bool RemoveTree(const QString& folder);

// Puts a shortcut to `target` into `linkFile`: a desktop entry (a launcher) here. Gives false
// when it could not be written; the installer does not report that.
bool CreateDesktopLink(const QString& linkFile, const QString& target, const QString& workingFolder,
                       const QString& description);

// The name a desktop link of `product` gets in the desktop folder.
QString DesktopLinkName(const QString& product);

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

// The desktop folder: the shell's recorded "Desktop" folder of the current user when the
// registry holds one, else the platform's; an empty text when there is none.
QString DesktopFolder();
