#include "rangeerror.h"

using namespace Qt::Literals::StringLiterals;

ERangeError::ERangeError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

QString RangeMessage(int value, int upper) {
  return u"%1 is not within the valid range of 1..%2"_s.arg(value).arg(upper);
}

void RaiseRangeCheckError() {
  throw ERangeError(u"Range check error"_s);
}
