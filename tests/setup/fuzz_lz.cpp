// Fuzz target: the expansion of Microsoft LZ data, on any bytes a file could hold. Reads of
// varying size must never go past the data, and a stream either fails or gives exactly the
// size its header promises.
#include "lzfile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto reader = LzReader::OpenMemory(
      QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (!reader) return 0;
  // Large promised sizes are cut short by the input anyway; stop reading long before that.
  const std::int64_t limit = 4 << 20;
  std::vector<char> out(32000);
  std::int64_t total = 0;
  std::int64_t chunk = size > 0 ? 1 + data[0] * 125 : 32000;
  for (;;) {
    const std::int64_t n = reader->Read(out.data(), chunk);
    if (n < 0) return 0;
    total += n;
    if (n < chunk || total > limit) break;
    chunk = chunk % 32000 + 1;
  }
  if (total <= limit && total != reader->Size()) __builtin_trap();
  return 0;
}
