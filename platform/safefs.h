#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Where setup writes and deletes, what it finds there (links, pipes, hard links that someone
// placed) must never lead it anywhere else. A path is walked one folder at a time from the
// deepest trusted folder that holds it (the install location, the current folder: chosen by the
// user or named by the script); below that folder no link is followed, and the last entry of a
// path is never followed at all. A path outside every trusted folder has its folders taken as the
// script named them. Names are matched without regard to letter case, as the game's file system
// does.

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

  // The folder that holds the entry (a descriptor here; -1 when not reached).
  int Folder() const { return folder_; }

 private:
  friend Place Reach(const QString& path, const QStringList& trusted);
  int folder_ = -1;
  bool reached_ = false;
  bool trusted_ = false;
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

// A file written beside its destination under a temporary name and put in its place only when
// complete and flushed: a failure at any point leaves the destination as it was, and no
// temporary file behind. The destination must be a regular file or absent.
class StagedFile {
 public:
  // `keepContent`: the new file starts with the destination's present content (appending).
  StagedFile(Place destination, bool keepContent);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates the temporary file, once. 0, or the failure's message number: 28 the destination
  // cannot be written, 36 it is a link, a pipe, a device or the like.
  int Open();
  bool IsOpen() const { return fd_ >= 0; }
  // The file the destination names now, when it exists.
  const std::optional<FileIdentity>& Replaces() const { return replaces_; }
  // Bytes in the new file so far.
  std::int64_t Size() const { return size_; }
  bool Write(const char* data, std::int64_t size);
  // The new file gets the permission to run.
  void MakeRunnable() { runnable_ = true; }
  // Flushes the new file and renames it over the destination. False on failure (the
  // destination then stays as it was).
  bool Commit();

 private:
  void Discard();

  Place destination_;
  bool keepContent_;
  int fd_ = -1;
  QByteArray tempName_;
  std::optional<FileIdentity> replaces_;
  unsigned mode_ = 0;
  bool keepMode_ = false;
  bool runnable_ = false;
  std::int64_t size_ = 0;
};

// A disk that fills up, for as long as this lives: the next staged file fails its write once it
// holds `bytes` bytes, with the system error `code`. A fault not met by then goes with it.
class FullStagingDisk {
 public:
  FullStagingDisk(std::int64_t bytes, int code);
  ~FullStagingDisk();
  FullStagingDisk(const FullStagingDisk&) = delete;
  FullStagingDisk& operator=(const FullStagingDisk&) = delete;
};
