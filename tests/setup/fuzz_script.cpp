// Fuzz target: the script parser, on any bytes a script file could hold.
#include "script.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = DecodeScriptText(
      QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  ScriptRefusal refusal;
  const auto script = ParseScript(text, &refusal);
  if (script) {
    if (script->commands.isEmpty() || script->commands.size() > kMaxCommands) __builtin_trap();
    if (script->productName.size() > kMaxProductName) __builtin_trap();
    // A zero byte would have cut the text short: such a text is never taken.
    if (text.contains(QChar(0))) __builtin_trap();
    for (const QString& command : script->commands) {
      if (command.size() < 2) __builtin_trap();
    }
  } else if (refusal.reason != ScriptRefusal::BadForm && refusal.line < 1) {
    __builtin_trap();
  }
  ReadDecimal(text);
  return 0;
}
