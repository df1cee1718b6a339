// libFuzzer target: any bytes either fail to parse or parse into a hive that survives being
// written and read back unchanged.
#include "regfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto hive = RegHive::Parse(bytes, QStringLiteral("HKEY_LOCAL_MACHINE"));
  if (!hive) return 0;
  const auto again = RegHive::Parse(hive->Serialize(), QStringLiteral("HKEY_LOCAL_MACHINE"));
  if (!again || !(*again == *hive)) std::abort();
  return 0;
}
