#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What a modder types over many cells of one column at once: a number sets them all; "+20%",
// "-5%", "+5", "-5", "*1.5" and "/2" change each by that amount.
struct BulkChange {
  enum class Kind { Set, Add, Multiply };
  Kind kind = Kind::Set;
  double amount = 0;
};

// Nothing for text that is none of the forms above. Decimal points only, whatever the locale:
// the same text must mean the same change on every machine.
std::optional<BulkChange> ParseBulkChange(const QString& text);

// `value` changed, rounded to the nearest whole number (halves away from zero). The caller holds
// the result to the field's range.
std::int64_t ApplyBulkChange(const BulkChange& change, std::int64_t value);
