#include "fieldranges.h"

#include "unitlayout.h"

#include <limits>

namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

struct Row {
  const char16_t* field;
  FieldRange infantry;
  FieldRange vehicle;
};

constexpr FieldRange kInt{kIntMin, kIntMax};
constexpr FieldRange kByte{0, 255};
constexpr FieldRange kFlag{0, 1};
constexpr FieldRange kUpTo7{0, 7};

// clang-format off
constexpr Row kRows[] = {
    {u"Health", kInt, kInt},          {u"Cost", kInt, kInt},
    {u"BuildSpeed", kByte, kByte},    {u"Byte40", kByte, kByte},
    {u"Byte47", kByte, kByte},        {u"FireSpeed", kByte, kByte},
    {u"Byte20Set", {0, 5}, {0, 5}},   {u"Armor", kUpTo7, kByte},
    {u"RateOfTurn", kByte, kByte},    {u"Byte12", kByte, kByte},
    {u"Sight", kUpTo7, kUpTo7},       {u"Flag37", kFlag, kFlag},
    {u"Byte45", kByte, kByte},        {u"Inaccurate", kFlag, kFlag},
    {u"SelfHeal", kFlag, kFlag},      {u"Long92", kInt, kInt},
    {u"Long96", kInt, kInt},          {u"Long100", kInt, kInt},
    {u"Long104", kInt, kInt},         {u"Long124", kInt, kInt},
    {u"Long128", kInt, kInt},         {u"Long132", kInt, kInt},
    {u"Long136", kInt, kInt},         {u"Owners", {0, 15}, {0, 15}},
};
// clang-format on

}  // namespace

std::optional<FieldRange> UnitFieldRange(std::uint8_t kind, QStringView field) {
  for (const Row& row : kRows) {
    if (field.compare(QStringView(row.field), Qt::CaseInsensitive) == 0) {
      return kind == ukInfantry ? row.infantry : row.vehicle;
    }
  }
  return std::nullopt;
}
