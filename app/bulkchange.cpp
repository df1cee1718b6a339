#include "bulkchange.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

std::optional<double> Number(QStringView text) {
  bool ok = false;
  const double value = QLocale::c().toDouble(text, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<BulkChange> ParseBulkChange(const QString& typed) {
  QString text = typed.simplified().remove(u' ');
  if (text.isEmpty()) return std::nullopt;
  const QChar op = text.front();
  if (op == u'*' || op == u'x' || op == u'X' || op == QChar(0xD7) || op == u'/') {
    const std::optional<double> factor = Number(QStringView(text).mid(1));
    if (!factor || *factor < 0 || (op == u'/' && *factor == 0)) return std::nullopt;
    return BulkChange{BulkChange::Kind::Multiply, op == u'/' ? 1 / *factor : *factor};
  }
  if (op == u'+' || op == u'-') {
    const double sign = op == u'-' ? -1 : 1;
    if (text.endsWith(u'%')) {
      const std::optional<double> percent = Number(QStringView(text).mid(1).chopped(1));
      if (!percent || *percent < 0) return std::nullopt;
      return BulkChange{BulkChange::Kind::Multiply, 1 + sign * *percent / 100};
    }
    const std::optional<double> amount = Number(QStringView(text).mid(1));
    if (!amount || *amount < 0) return std::nullopt;
    return BulkChange{BulkChange::Kind::Add, sign * *amount};
  }
  // A value to set is a whole number, as every field holds.
  bool ok = false;
  const qint64 value = text.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return BulkChange{BulkChange::Kind::Set, double(value)};
}

std::int64_t ApplyBulkChange(const BulkChange& change, std::int64_t value) {
  double result = change.amount;
  if (change.kind == BulkChange::Kind::Add) result = double(value) + change.amount;
  if (change.kind == BulkChange::Kind::Multiply) result = double(value) * change.amount;
  // Far beyond any field's range either way; the caller's range takes it from there.
  constexpr double kLimit = 9.0e15;
  result = std::round(std::clamp(result, -kLimit, kLimit));
  return std::int64_t(result);
}
