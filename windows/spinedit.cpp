#include "spinedit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <limits>

namespace {

constexpr int kArrowWidth = 15;

// Typing is limited to what can make a whole number.
bool AllowedCharacter(const QString& text) {
  for (const QChar c : text) {
    if (!c.isDigit() && c != u'+' && c != u'-') return false;
  }
  return true;
}

// What a user may leave in the field while typing: an optional sign and digits. A minus is
// refused where the range has no negative numbers; a number beyond the range is left to be
// clamped when the field is left, or refused by whoever saves it.
class NumberValidator : public QValidator {
 public:
  explicit NumberValidator(TSpinEdit* spin) : QValidator(spin), spin_(spin) {}

  State validate(QString& input, int&) const override {
    qsizetype digitsFrom = 0;
    if (!input.isEmpty() && (input[0] == u'+' || input[0] == u'-')) {
      if (input[0] == u'-' && spin_->Lowest() >= 0) return Invalid;
      digitsFrom = 1;
    }
    for (qsizetype i = digitsFrom; i < input.size(); ++i) {
      if (input[i] < u'0' || input[i] > u'9') return Invalid;
    }
    bool ok = false;
    const qlonglong value = input.toLongLong(&ok);
    return ok && value >= spin_->Lowest() && value <= spin_->Highest() ? Acceptable : Intermediate;
  }

 private:
  const TSpinEdit* spin_;
};

}  // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("Edit"));
  edit_->setText(QStringLiteral("0"));
  edit_->installEventFilter(this);
  edit_->setValidator(new NumberValidator(this));
  up_ = new QToolButton(this);
  up_->setObjectName(QStringLiteral("Up"));
  up_->setArrowType(Qt::UpArrow);
  up_->setAutoRepeat(true);
  up_->setFocusPolicy(Qt::NoFocus);
  down_ = new QToolButton(this);
  down_->setObjectName(QStringLiteral("Down"));
  down_->setArrowType(Qt::DownArrow);
  down_->setAutoRepeat(true);
  down_->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(edit_);

  connect(edit_, &QLineEdit::textChanged, this, &TSpinEdit::Change);
  connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TSpinEdit::SetRange(std::int32_t minValue, std::int32_t maxValue) {
  min_ = minValue;
  max_ = maxValue;
}

std::int64_t TSpinEdit::Clamp(std::int64_t value) const {
  return std::clamp<std::int64_t>(value, Lowest(), Highest());
}

std::int64_t TSpinEdit::Lowest() const {
  return Unlimited() ? std::numeric_limits<std::int32_t>::min() : min_;
}

std::int64_t TSpinEdit::Highest() const {
  return Unlimited() ? std::numeric_limits<std::int32_t>::max() : max_;
}

bool TSpinEdit::HoldsValidNumber() const {
  QString text = edit_->text();
  int position = 0;
  return edit_->validator()->validate(text, position) == QValidator::Acceptable;
}

std::int32_t TSpinEdit::Value() const {
  bool ok = false;
  const int value = edit_->text().trimmed().toInt(&ok);
  return ok ? value : min_;
}

std::int32_t TSpinEdit::ClampedValue() const {
  return static_cast<std::int32_t>(Clamp(Value()));
}

void TSpinEdit::SetValue(std::int64_t value) {
  const QString text = QString::number(Clamp(value));
  if (text != edit_->text()) edit_->setText(text);  // setText reports the change
}

QString TSpinEdit::Text() const {
  return edit_->text();
}

void TSpinEdit::SetText(const QString& text) {
  edit_->setText(text);
}

void TSpinEdit::Step(int delta) {
  if (!edit_->isReadOnly()) SetValue(std::int64_t(Value()) + delta);
}

bool TSpinEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_) {
    if (event->type() == QEvent::FocusOut) {
      // A number typed beyond the range is put right when the user leaves the field.
      if (Clamp(Value()) != Value()) SetValue(Value());
    } else if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        Step(key->key() == Qt::Key_Up ? +1 : -1);
        return true;
      }
      const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
      if (!command && !key->text().isEmpty() && key->text()[0].isPrint() &&
          !AllowedCharacter(key->text())) {
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TSpinEdit::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width(), h = height();
  edit_->setGeometry(0, 0, w - kArrowWidth, h);
  up_->setGeometry(w - kArrowWidth, 0, kArrowWidth, h / 2);
  down_->setGeometry(w - kArrowWidth, h / 2, kArrowWidth, h - h / 2);
}
