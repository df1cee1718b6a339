#pragma once

#include <QWidget>

#include <cstdint>

class QLineEdit;
class QToolButton;

// A number field with up and down arrows that behaves the way the settings windows need:
// - its value is the whole number in its text, or its minimum when the text is not one;
// - setting the value clamps it into the range (no limits when both bounds are 0) and reports
//   a change only when the text actually changes;
// - a number typed outside the range stays until the field loses the focus, then it is clamped;
// - nothing but digits and a sign (a minus only where the range goes below 0) can be typed or
//   pasted in, so a stray letter never turns the value into the minimum behind the user's back.
// (QSpinBox corrects typing at once and so can't pair with a slider the same way.)
class TSpinEdit : public QWidget {
  Q_OBJECT
 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  void SetRange(std::int32_t minValue, std::int32_t maxValue);
  std::int32_t MinValue() const { return min_; }
  std::int32_t MaxValue() const { return max_; }
  bool Unlimited() const { return min_ == 0 && max_ == 0; }

  std::int32_t Value() const;
  void SetValue(std::int64_t value);
  // The value clamped into the range: what a record may safely take.
  std::int32_t ClampedValue() const;
  // Whether the text is a whole number the range takes: what may be saved as the user typed it.
  bool HoldsValidNumber() const;
  // The bounds a text must keep to: the range, or every 32-bit number without limits.
  std::int64_t Lowest() const;
  std::int64_t Highest() const;

  QString Text() const;
  void SetText(const QString& text);
  QLineEdit* Editor() const { return edit_; }

 signals:
  // The text changed: by typing, by the arrows or by SetValue.
  void Change();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::int64_t Clamp(std::int64_t value) const;
  void Step(int delta);

  QLineEdit* edit_;
  QToolButton* up_;
  QToolButton* down_;
  std::int32_t min_ = 0;
  std::int32_t max_ = 0;
};
