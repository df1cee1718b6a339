#pragma once

#include <QStyledItemDelegate>

#include <functional>

// How the units table draws and edits a cell. A value that differs from its original is tinted
// with the theme's highlight colour and carries a mark in its corner, so that it shows in dark
// and light themes and without telling colours apart. Typed text is handed to `enter` as it
// stands: "+20%" is no number, but a change the table makes to many cells.
class TUnitCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using Enter = std::function<void(const QModelIndex& index, const QString& text)>;
  TUnitCellDelegate(Enter enter, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 private:
  Enter enter_;
};
