#pragma once

#include <QString>

#include <stdexcept>

// Raised when a number outside a table's bounds reaches a lookup. It is never caught by the
// code that raises it; the application's default error handling shows its message.
class ERangeError : public std::runtime_error {
 public:
  explicit ERangeError(const QString& message);
  QString Message() const { return message_; }

 private:
  QString message_;
};

// "%d is not within the valid range of 1..%d"
QString RangeMessage(int value, int upper);

// Thrown for values that do not fit a field (a byte that holds more than 255).
[[noreturn]] void RaiseRangeCheckError();
