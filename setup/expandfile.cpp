#include "expandfile.h"

#include "lzfile.h"
#include "paths.h"
#include "safefs.h"
#include "stagedfile.h"

#include <algorithm>

namespace {

// Programs and scripts carry their mark in their first bytes; once expanded here they need the
// permission to run, which the install medium cannot pass on.
bool LooksRunnable(std::span<const char> start) {
  return (start.size() >= 4 && start[0] == '\x7f' && start[1] == 'E' && start[2] == 'L' &&
          start[3] == 'F') ||
         (start.size() >= 2 && start[0] == '#' && start[1] == '!');
}

}  // namespace

int ExpandInto(const QString& source, StagedFile& out, std::span<char> buffer,
               const std::function<void(int)>& progress) {
  auto reader = LzReader::OpenFile(source);
  if (!reader) return 27;
  switch (out.Open()) {
    case StagedFile::Opened::Ready:
      break;
    case StagedFile::Opened::NotAFile:
      return 36;
    case StagedFile::Opened::Failed:
      return 28;
  }
  // Writing a file into itself, say through a hard link of the medium's file at the
  // destination, would change the medium.
  if (out.Replaces() && out.Replaces() == IdentityOf(ResolveExisting(source))) return 28;
  bool fromStart = out.Size() == 0;

  const std::uint64_t total = static_cast<std::uint64_t>(std::max<std::int64_t>(reader->Size(), 0));
  std::uint64_t done = 0;
  const std::int64_t block = std::min<std::int64_t>(kExpandBlock, std::ssize(buffer));
  std::int64_t got = 0;
  do {
    got = reader->Read(buffer.data(), block);
    if (got < 0) return 29;
    if (got > 0) {
      if (!out.Write(buffer.data(), got)) return 30;
      if (fromStart && LooksRunnable(buffer.first(static_cast<std::size_t>(got))))
        out.MakeRunnable();
      fromStart = false;
    }
    done += static_cast<std::uint64_t>(got);
    // 64 bits, so large files do not wrap the share round; an empty file is all done.
    const std::uint64_t share = total == 0 ? 100 : std::min<std::uint64_t>(done * 100 / total, 100);
    if (progress) progress(static_cast<int>(share));
  } while (got == block);
  return 0;
}

int ExpandFile(const QString& source, const QString& destination, bool create,
               std::span<char> buffer, const std::function<void(int)>& progress) {
  if (destination.isEmpty()) return 28;
  StagedFile out(Reach(destination), StagedFile::Takes::WritableFileOnly, !create);
  const int failure = ExpandInto(source, out, buffer, progress);
  if (failure != 0) return failure;
  return out.Commit() ? 0 : 30;
}
