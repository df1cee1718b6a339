#pragma once

#include "safefs.h"

#include <QString>

#include <cstdint>
#include <optional>

// A file written beside its destination under a temporary name and put in its place only when
// complete and flushed: a failure at any point leaves the destination as it was, and no
// temporary file behind. Every file the programs replace is written this way: the settings
// file, the game file's backup and its restore, and what the installer puts on disk.
class StagedFile {
 public:
  // What the new file may take the place of.
  enum class Takes {
    // Only a regular file the user may write. A link, a pipe or a device at the destination is
    // refused and stays: among files that are not all the program's own (the installer's
    // destinations) nothing someone placed there leads the write elsewhere or is lost.
    WritableFileOnly,
    // Any file or link, read-only or not: the program's own files. A link is replaced by the
    // new file, never written through; only a folder refuses.
    FileOrLink,
  };
  // What Open found.
  enum class Opened {
    Ready,
    // The destination or its folder cannot be written; Error() tells why.
    Failed,
    // A link, a pipe, a device or the like stands at the destination (WritableFileOnly).
    NotAFile,
  };

  // `keepContent`: the new file starts with the destination's present content (appending).
  StagedFile(Place destination, Takes takes, bool keepContent = false);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates the temporary file, once.
  Opened Open();
  bool IsOpen() const { return file_ != -1; }
  // The system's error code of the last failure (errno, or a Windows error code on Windows),
  // for SystemErrorText.
  int Error() const { return error_; }
  // The file the destination names now, when it is one.
  const std::optional<FileIdentity>& Replaces() const { return replaces_; }
  // Bytes in the new file so far.
  std::int64_t Size() const { return size_; }
  bool Write(const char* data, std::int64_t size);
  // The permissions a new file gets where files have them, instead of what the umask leaves of
  // read and write for everyone. A replaced file's own permissions stay in any case.
  void SetNewMode(unsigned mode) { newMode_ = mode; }
  // The new file gets the permission to run.
  void MakeRunnable() { runnable_ = true; }
  // Flushes the new file and renames it over the destination. False on failure (the
  // destination then stays as it was).
  bool Commit();

 private:
  // The system's error for a folder that stands at the destination.
  static const int kFolderInTheWay;
  // A name beside the destination's that no file is likely to have.
  static QString TemporaryName(const QString& name);
  // Each platform's steps; those that fail keep the system's error code in error_. Stage
  // creates the temporary file beside a destination of a `kind` that may be replaced.
  Opened Stage(EntryKind kind);
  std::int64_t WriteSome(const char* data, std::int64_t size);
  bool Flush();
  bool CloseTemporary();
  bool PutInPlace();
  // Closes and deletes the temporary file, if any.
  void Discard();
  bool Fail(int code);

  Place destination_;
  Takes takes_;
  bool keepContent_;
  // The temporary file: a descriptor, or a HANDLE on Windows; -1 when none is open.
  std::intptr_t file_ = -1;
  // Its name: in the destination's folder, or its whole path on Windows; empty when none exists.
  QString temporary_;
  std::optional<FileIdentity> replaces_;
  std::optional<unsigned> newMode_;
  unsigned mode_ = 0;
  bool runnable_ = false;
  std::int64_t size_ = 0;
  int error_ = 0;
};

// A disk that fails the next staged file, for as long as this lives; a fault not met by then
// goes with it. It stands in for what only a real disk does, so that tests reach every failure.
class DiskFault {
 public:
  // The disk fills up: the write that would take the file past `bytes` bytes fails with the
  // system error `code`.
  static DiskFault FullAfter(std::int64_t bytes, int code);
  // The disk takes every byte, but the flush that would make them last fails with `code`.
  static DiskFault FlushFails(int code);
  ~DiskFault();
  DiskFault(const DiskFault&) = delete;
  DiskFault& operator=(const DiskFault&) = delete;

 private:
  DiskFault(std::int64_t bytes, bool atFlush, int code);
};
