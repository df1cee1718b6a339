#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <span>

// Expanding the install medium's files (Microsoft LZ, or plain) into their destinations.

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
