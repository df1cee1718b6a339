#include "unitstablewindow.h"

#include "bulkchange.h"
#include "dialogs.h"
#include "originalrecords.h"
#include "saltmarch.h"
#include "tableclipboard.h"
#include "unitcelldelegate.h"
#include "unitdocument.h"
#include "unitstablemodel.h"
#include "unitwin.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Plural(int n, const QString& one, const QString& many) {
  return u"%1 %2"_s.arg(n).arg(n == 1 ? one : many);
}

}  // namespace

TF_UnitsTable::TF_UnitsTable(QMdiArea* frame) : QMdiSubWindow(nullptr) {
  setObjectName(u"F_UnitsTable"_s);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(u"Units Table"_s);
  model_ = new TUnitsTableModel(*SaltmarchApp->Document, this);
  BuildForm();
  connect(model_, &TUnitsTableModel::CountsChanged, this, &TF_UnitsTable::ShowCounts);
  // A restore or another game folder drops the units. The open unit windows read their kind
  // again (and say so when they cannot); the table reads what none of them does.
  connect(SaltmarchApp->Document.get(), &TUnitDocument::Reloaded, this, [this] {
    QTimer::singleShot(0, this, [this] {
      std::set<std::uint8_t> shown;
      for (const QPointer<QObject>& window : SaltmarchApp->SettingsWindows) {
        if (auto* unitWindow = qobject_cast<TUnitSettingsWin*>(window.data())) {
          shown.insert(unitWindow->Design().kind);
        }
      }
      LoadUnits(shown);
      RefreshOriginals();
    });
  });
  LoadUnits();
  RefreshOriginals();
  if (frame) frame->addSubWindow(this);
  resize(DefaultSize());
  // The store has said why the units could not be read; a table of empty records is no use.
  if (!model_->RowEditable(0) && !model_->RowEditable(model_->rowCount() - 1)) {
    deleteLater();
    return;
  }
  show();
}

TF_UnitsTable::~TF_UnitsTable() = default;

void TF_UnitsTable::BuildForm() {
  auto* client = new QWidget(this);
  client->setObjectName(u"Client"_s);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);

  auto* top = new QHBoxLayout;
  allFields_ = new QCheckBox(u"Show &All Fields"_s, client);
  allFields_->setObjectName(u"KB_AllFields"_s);
  allFields_->setToolTip(u"Also Show The Fields No Settings Window Edits (Read Only)"_s);
  connect(allFields_, &QCheckBox::toggled, this, [this](bool on) {
    model_->SetShowAllFields(on);
    table_->resizeColumnsToContents();
  });
  revert_ = new QPushButton(u"&Revert to Original"_s, client);
  revert_->setObjectName(u"B_Revert"_s);
  top->addWidget(allFields_);
  top->addStretch(1);
  top->addWidget(revert_);
  layout->addLayout(top);

  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(TUnitsTableModel::SortRole);
  table_ = new QTableView(client);
  table_->setObjectName(u"TV_Units"_s);
  table_->setModel(sorted_);
  // The game's order until a header is clicked.
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->setSortingEnabled(true);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->setItemDelegate(new TUnitCellDelegate(
      [this](const QModelIndex& index, const QString& text) { EnterText(index, text); }, table_));
  table_->verticalHeader()->setIconSize(QSize(16, 16));
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setContextMenuPolicy(Qt::ActionsContextMenu);
  layout->addWidget(table_, 1);

  auto* bottom = new QHBoxLayout;
  counts_ = new QLabel(client);
  counts_->setObjectName(u"L_Counts"_s);
  note_ = new QLabel(client);
  note_->setObjectName(u"L_Note"_s);
  note_->setTextFormat(Qt::PlainText);
  bottom->addWidget(counts_);
  bottom->addSpacing(12);
  bottom->addWidget(note_, 1);
  layout->addLayout(bottom);

  const auto action = [this](const char* name, const QString& caption, const QString& hint,
                             const QKeySequence& keys, void (TF_UnitsTable::*run)()) {
    auto* made = new QAction(caption, this);
    made->setObjectName(QString::fromLatin1(name));
    made->setStatusTip(hint);
    made->setShortcut(keys);
    made->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(made, &QAction::triggered, this, run);
    table_->addAction(made);
    return made;
  };
  copy_ = action("A_CopyCells", u"&Copy"_s, u"Copy The Selected Values For A Spreadsheet"_s,
                 QKeySequence::Copy, &TF_UnitsTable::CopyCells);
  paste_ = action("A_PasteCells", u"&Paste"_s,
                  u"Paste Values From A Spreadsheet Into The Selected Cells"_s, QKeySequence::Paste,
                  &TF_UnitsTable::PasteCells);
  revertAction_ = action("A_RevertCells", u"&Revert to Original"_s,
                         u"Give The Selected Values Back The Values Of The Backup"_s,
                         QKeySequence(), &TF_UnitsTable::RevertToOriginal);
  connect(revert_, &QPushButton::clicked, revertAction_, &QAction::trigger);
  setWidget(client);
  table_->resizeColumnsToContents();
}

QSize TF_UnitsTable::DefaultSize() const {
  // Every designed column whole with its header, and room for the rows up to a screen's height.
  int width = table_->verticalHeader()->sizeHint().width() + 2 * table_->frameWidth() +
              table_->verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < TUnitsTableModel::ColumnCount; ++column) {
    width += table_->horizontalHeader()->sectionSize(column);
  }
  const int rows = table_->verticalHeader()->defaultSectionSize() * 16;
  const QSize client(width + 8, rows + table_->horizontalHeader()->sizeHint().height() +
                                    revert_->sizeHint().height() + counts_->sizeHint().height() +
                                    2 * table_->frameWidth() + 20);
  // The frame's border and title bar around the client.
  const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
  const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  return client + QSize(2 * border, title + border);
}

void TF_UnitsTable::LoadUnits(const std::set<std::uint8_t>& readElsewhere) {
  TDune2kFile& store = *SaltmarchApp->Store;
  for (std::uint8_t kind : {ukInfantry, ukVehicle}) {
    if (!store.UnitsLoaded(kind) && !readElsewhere.contains(kind)) store.LoadUnits(kind);
  }
  // The rows of a kind just read hold other values now.
  emit model_->dataChanged(model_->index(0, 0),
                           model_->index(model_->rowCount() - 1, model_->columnCount() - 1));
  ShowCounts();
}

void TF_UnitsTable::RefreshOriginals() {
  const bool backup = SaltmarchApp && SaltmarchApp->BackupExists();
  model_->SetOriginals(backup ? ReadOriginalRecords(SaltmarchApp->BackupFileName()) : std::nullopt);
  revertAction_->setEnabled(model_->HasOriginals());
  revert_->setEnabled(model_->HasOriginals());
  revert_->setToolTip(model_->HasOriginals()
                          ? u"Give The Selected Values Back The Values Of The Backup"_s
                          : u"The Original Values Are The Backup's: Make A Backup First"_s);
  ShowCounts();
}

void TF_UnitsTable::ShowCounts() {
  counts_->setText(u"%1, %2 not applied"_s
                       .arg(Plural(model_->ChangedCount(), u"value changed"_s, u"values changed"_s))
                       .arg(model_->UnappliedCount()));
}

void TF_UnitsTable::ShowNote(const QString& note) {
  note_->setText(note);
}

QModelIndexList TF_UnitsTable::SelectedCells() const {
  QModelIndexList cells;
  for (const QModelIndex& index : table_->selectionModel()->selectedIndexes()) {
    cells << sorted_->mapToSource(index);
  }
  if (cells.isEmpty() && table_->currentIndex().isValid()) {
    cells << sorted_->mapToSource(table_->currentIndex());
  }
  return cells;
}

CellArea TF_UnitsTable::SelectedArea() const {
  // The rows and columns that hold a selected cell, in the order the view shows them.
  std::set<int> viewRows;
  std::set<int> columns;
  for (const QModelIndex& cell : SelectedCells()) {
    viewRows.insert(sorted_->mapFromSource(cell).row());
    columns.insert(cell.column());
  }
  CellArea area;
  for (int viewRow : viewRows)
    area.rows.push_back(sorted_->mapToSource(sorted_->index(viewRow, 0)).row());
  area.columns.assign(columns.begin(), columns.end());
  return area;
}

CellArea TF_UnitsTable::WholeArea() const {
  CellArea area;
  for (int viewRow = 0; viewRow < sorted_->rowCount(); ++viewRow) {
    area.rows.push_back(sorted_->mapToSource(sorted_->index(viewRow, 0)).row());
  }
  for (int column = 0; column < model_->columnCount(); ++column) area.columns.push_back(column);
  return area;
}

void TF_UnitsTable::CopyCells() {
  const CellArea area = SelectedArea();
  if (area.rows.empty()) return;
  auto* data = new QMimeData;
  data->setText(CellsAsTabText(*model_, area));
  data->setHtml(CellsAsHtml(*model_, area));
  QApplication::clipboard()->setMimeData(data);
  ShowNote(u"Copied %1"_s.arg(
      Plural(int(area.rows.size() * area.columns.size()), u"value"_s, u"values"_s)));
}

void TF_UnitsTable::PasteCells() {
  const PastePlan plan = PlanPaste(*model_, ParseTabText(QApplication::clipboard()->text()),
                                   SelectedArea(), WholeArea());
  if (!plan.error.isEmpty()) {
    MessageDlg(MsgKind::Warning, u"Nothing was pasted: %1."_s.arg(plan.error), mbOK);
    return;
  }
  model_->SetValues(plan.values,
                    u"Paste %1"_s.arg(Plural(int(plan.values.size()), u"Value"_s, u"Values"_s)));
  ShowNote(QString());
}

void TF_UnitsTable::RevertToOriginal() {
  std::vector<TUnitsTableModel::CellValue> values;
  for (const QModelIndex& cell : SelectedCells()) {
    const auto original = model_->OriginalValue(cell.row(), cell.column());
    if (original && TUnitsTableModel::IsEditedColumn(cell.column())) {
      values.push_back({cell.row(), cell.column(), *original});
    }
  }
  model_->SetValues(values, u"Revert To Original"_s);
}

void TF_UnitsTable::EnterText(const QModelIndex& viewIndex, const QString& text) {
  const QModelIndex typed = sorted_->mapToSource(viewIndex);
  const int column = typed.column();
  const std::optional<BulkChange> change = ParseBulkChange(text);
  const QString header = model_->headerData(column, Qt::Horizontal).toString();
  if (!change) {
    MessageDlg(MsgKind::Warning,
               u"%1: \"%2\" is neither a whole number nor a change such as +20%, -5 or *1.5."_s.arg(
                   header, text.trimmed()),
               mbOK);
    return;
  }
  QModelIndexList cells = SelectedCells();
  const bool oneColumn = cells.contains(typed) &&
                         std::all_of(cells.begin(), cells.end(), [column](const QModelIndex& c) {
                           return c.column() == column;
                         });
  if (!oneColumn) cells = {typed};
  std::vector<TUnitsTableModel::CellValue> values;
  QStringList held;
  for (const QModelIndex& cell : cells) {
    if (!(model_->flags(cell) & Qt::ItemIsEditable)) continue;
    const std::int64_t wanted = ApplyBulkChange(*change, model_->Value(cell.row(), column));
    const std::int64_t value = model_->Range(cell.row(), column).Clamp(wanted);
    if (value != wanted) {
      held << u"%1 %2"_s.arg(model_->headerData(cell.row(), Qt::Vertical).toString()).arg(value);
    }
    values.push_back({cell.row(), column, value});
  }
  const QString unit = values.size() == 1
                           ? model_->headerData(values.front().row, Qt::Vertical).toString()
                           : Plural(int(values.size()), u"Unit"_s, u"Units"_s);
  model_->SetValues(values, u"Edit %1 of %2"_s.arg(header, unit));
  if (held.isEmpty()) {
    ShowNote(QString());
  } else {
    const qsizetype shown = std::min<qsizetype>(held.size(), 4);
    ShowNote(u"Held to the field's range: %1%2"_s.arg(
        held.mid(0, shown).join(u", "_s),
        held.size() > shown ? u" and %1 more"_s.arg(held.size() - shown) : QString()));
  }
}
