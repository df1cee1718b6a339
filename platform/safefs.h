#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Where a program writes and deletes among files that are not all its own (the installer),
// what it finds there (links, pipes, hard links that someone placed) must never lead it anywhere
// else. A path is walked one folder at a time from the deepest trusted folder that holds it (the
// installer's location and current folder: chosen by the user or named by the script); below
// that folder no link is followed, and the last entry of a path is never followed at all. A path
// outside every trusted folder has its folders taken as named. Names are matched without regard
// to letter case, as the game's file system does.

enum class EntryKind { Absent, File, Folder, Link, Other };

// The identity of a file whatever names it has: device and inode (volume and file index on
// Windows). Two names of one file compare equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of an existing file, following links; nothing when it cannot be read.
std::optional<FileIdentity> IdentityOf(const QString& path);

#ifdef _WIN32
// What an entry is by its file attributes (INVALID_FILE_ATTRIBUTES when it is absent).
EntryKind KindOfAttributes(unsigned long attributes);
#endif

// One entry, existing or not, of a folder that is held open.
class Place {
 public:
  Place() = default;
  Place(Place&& other) noexcept;
  Place& operator=(Place&& other) noexcept;
  Place(const Place&) = delete;
  Place& operator=(const Place&) = delete;
  ~Place();

  // False when a folder on the way is missing, is a link, or cannot be opened.
  bool Reached() const { return reached_; }
  // The entry's name as found on disk (as given when absent), and its whole path.
  const QString& Name() const { return name_; }
  const QString& Path() const { return path_; }
  // The entry may be entered through a link: it is a trusted folder itself, or it lies outside
  // every trusted folder, where the script names it as it stands.
  bool Trusted() const { return trusted_; }
  // What the entry is, never following a link; its identity when it exists.
  EntryKind Kind(FileIdentity* identity = nullptr) const;

  // The folder that holds the entry (a descriptor off Windows; -1 when not reached).
  int Folder() const { return folder_; }
  // Why the entry was not reached: the system's error code (errno, or a Windows error code),
  // 0 when there is none to tell.
  int Failure() const { return failure_; }

 private:
  friend Place Reach(const QString& path, const QStringList& trusted);
  // Lets go of the folder held open.
  void Release();

  int folder_ = -1;
  bool reached_ = false;
  bool trusted_ = false;
  int failure_ = 0;
  QString name_;
  QString path_;
};

// Reaches the last entry of `path` (absolute, in the platform's form), see above.
Place Reach(const QString& path, const QStringList& trusted = {});

// A folder that may be entered: a real folder, or a link to one where the place is trusted.
bool CanEnterAt(const Place& place);
// Creates the folder (one level); false when it could not be made.
bool MakeFolderAt(const Place& place);
// Deletes a link (itself, never what it names) or a regular file its owner may write; anything
// else stays. False when nothing was deleted.
bool DeleteFileAt(const Place& place);
// Removes a folder with everything in it, as RemoveTree does; a link is removed itself. False
// when it is no folder or link (nothing was done).
bool RemoveTreeAt(const Place& place);
