#include "registrykeys.h"

QString RegReadString(RegRoot root, const QString& key, const QString& name, const QString& def) {
  if (!RegAccessor().KeyExists(root, key)) return def;
  const auto value = RegAccessor().Read(root, key, name);
  if (!value) return QString();
  return value->type == RegValue::Type::String ? value->text : def;
}

bool RegWriteString(RegRoot root, const QString& key, const QString& name, const QString& value) {
  return RegAccessor().Write(root, key, name, RegValue::String(value));
}

int RegReadInteger(RegRoot root, const QString& key, const QString& name, int def) {
  const auto value = RegAccessor().Read(root, key, name);
  if (!value || value->type != RegValue::Type::Dword) return def;
  return static_cast<int>(value->dword);
}

bool RegWriteInteger(RegRoot root, const QString& key, const QString& name, int value) {
  return RegAccessor().Write(root, key, name, RegValue::Dword(static_cast<std::uint32_t>(value)));
}
