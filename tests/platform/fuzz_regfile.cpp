// libFuzzer target: any bytes either fail to parse or parse into a hive that survives being
// written and read back unchanged, and whose every value the indexed read-only view finds too.
#include "regfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
  const auto hive = RegHive::Parse(bytes, root);
  const auto view = RegFileView::Index(bytes, root);
  if (!hive) return 0;
  const auto again = RegHive::Parse(hive->Serialize(), root);
  if (!again || !(*again == *hive)) std::abort();
  if (!view) std::abort();
  for (const RegHive::Key& key : hive->Keys()) {
    if (!view->HasKey(key.path)) std::abort();
    for (const RegHive::Entry& entry : key.values) {
      if (view->Value(key.path, entry.name) != entry.value) std::abort();
    }
  }
  return 0;
}
