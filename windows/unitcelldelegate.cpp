#include "unitcelldelegate.h"

#include "unitstablemodel.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

TUnitCellDelegate::TUnitCellDelegate(Enter enter, QObject* parent)
    : QStyledItemDelegate(parent), enter_(std::move(enter)) {}

void TUnitCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const bool differs = index.data(TUnitsTableModel::OriginalRole).isValid();
  if (!differs) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QColor tint = option.palette.color(QPalette::Highlight);
  tint.setAlpha(70);
  painter->fillRect(option.rect, tint);
  QStyledItemDelegate::paint(painter, option, index);
  // A triangle in the top left corner, as spreadsheets mark a cell with a note.
  const QRectF r = option.rect;
  const qreal size = qMin<qreal>(7, r.height() / 2);
  QPainterPath mark;
  mark.moveTo(r.topLeft());
  mark.lineTo(r.left() + size, r.top());
  mark.lineTo(r.left(), r.top() + size);
  mark.closeSubpath();
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->fillPath(mark, option.palette.color(QPalette::Text));
  painter->restore();
}

QWidget* TUnitCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex&) const {
  auto* editor = new QLineEdit(parent);
  editor->setObjectName(QStringLiteral("E_Cell"));
  editor->setFrame(false);
  editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  editor->setMaxLength(32);
  return editor;
}

void TUnitCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // A key that opened the editor replaces the text after this; a double click edits the value.
  static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
}

void TUnitCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex& index) const {
  // An editor closed untouched leaves everything as it is, the other selected cells included;
  // the value typed again over itself is still the user's, for all of them.
  const auto* line = static_cast<QLineEdit*>(editor);
  if (line->isModified()) enter_(index, line->text());
}
