#include "hexedit.h"

#include "formparts.h"
#include "webpage.h"

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstring>

const std::set<int> KnownRawBytes = {0,  1,  2,  3,  4,  5,  6,  7,  9,  10,
                                     12, 14, 16, 17, 20, 27, 28, 29, 30, 31};

namespace {

// The designed cells, 24 x 15, leave out the grid line between them; a Qt section holds it.
constexpr int kCellWidth = 24;
constexpr int kCellHeight = 15;
constexpr int kGridLine = 1;

// What the editor makes of the byte at an offset, for the information box.
QString Meaning(int offset) {
  switch (offset) {
    case 2:
      return QStringLiteral("Armor");
    case 3:
      return QStringLiteral("Rate Of Turn");
    case 4:
    case 5:
    case 6:
    case 7:
      return QStringLiteral("Health");
    case 14:
      return QStringLiteral("Firing Speed");
    case 16:
      return QStringLiteral("Sight");
    case 28:
    case 29:
    case 30:
    case 31:
      return QStringLiteral("Cost");
    case 32:
      return QStringLiteral("Build Speed");
    case 44:
      return QStringLiteral("Owners");
    case 57:
      return QStringLiteral("Inaccurate (bit 7)");
    case 58:
      return QStringLiteral("Self Healing (bit 7)");
    default:
      return QString();
  }
}

// Every cell is drawn here: red behind the known offsets, white elsewhere, text centred.
class CellPainter : public QStyledItemDelegate {
 public:
  explicit CellPainter(TF_HexEdit* view) : QStyledItemDelegate(view), view_(view) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const int b = index.row() * 16 + index.column();
    p->fillRect(option.rect, view_->CellColour(b));
    p->setPen(Qt::black);
    p->drawText(option.rect, Qt::AlignHCenter | Qt::AlignVCenter, index.data().toString());
  }

 private:
  TF_HexEdit* view_;
};

}  // namespace

TF_HexEdit::TF_HexEdit(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("F_HexEdit"));
  resize(589, 314);
  hide();

  P_HexEdit = new QWidget(this);
  P_HexEdit->setObjectName(QStringLiteral("P_HexEdit"));
  P_HexEdit->setGeometry(0, 0, 589, 314);
  panel_ = P_HexEdit;

  Label1 = new QLabel(QStringLiteral("Offset"), P_HexEdit);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(9, 1);
  Label3 = new QLabel(QStringLiteral(" - Data - "), P_HexEdit);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(72, 0, 365, 16);
  Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label3->setAttribute(Qt::WA_TranslucentBackground);

  Bevel1 = Bevel(P_HexEdit, QStringLiteral("Bevel1"), QRect(3, 16, 575, 3), QFrame::HLine);

  SG_Data = new QTableWidget(16, 16, P_HexEdit);
  SG_Data->setObjectName(QStringLiteral("SG_Data"));
  SG_Data->setGeometry(49, 20, 420, 260);
  SG_Data->horizontalHeader()->hide();
  SG_Data->verticalHeader()->hide();
  SG_Data->horizontalHeader()->setMinimumSectionSize(1);
  SG_Data->verticalHeader()->setMinimumSectionSize(1);
  SG_Data->horizontalHeader()->setDefaultSectionSize(kCellWidth + kGridLine);
  SG_Data->verticalHeader()->setDefaultSectionSize(kCellHeight + kGridLine);
  SG_Data->setShowGrid(true);
  SG_Data->setItemDelegate(new CellPainter(this));
  SG_Data->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
  SG_Data->setMouseTracking(true);
  connect(SG_Data, &QTableWidget::cellEntered, this, &TF_HexEdit::DescribeByte);
  connect(SG_Data, &QTableWidget::currentCellChanged, this,
          [this](int row, int column) { DescribeByte(row, column); });

  GB_Info = new QGroupBox(QStringLiteral("Information"), P_HexEdit);
  GB_Info->setObjectName(QStringLiteral("GB_Info"));
  GB_Info->setGeometry(472, 19, 105, 190);
  Label2 = new QLabel(QStringLiteral("Label2"), GB_Info);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label2->setWordWrap(true);
  auto* infoLayout = new QVBoxLayout(GB_Info);
  infoLayout->addWidget(Label2);
  infoLayout->addStretch();

  rgFormat = new QGroupBox(QStringLiteral("Data Format"), P_HexEdit);
  rgFormat->setObjectName(QStringLiteral("rgFormat"));
  rgFormat->setGeometry(472, 209, 105, 71);
  rgFormatHex = new QRadioButton(QStringLiteral("Hexadecimal"), rgFormat);
  rgFormatHex->setObjectName(QStringLiteral("rgFormatHex"));
  rgFormatDec = new QRadioButton(QStringLiteral("Decimal"), rgFormat);
  rgFormatDec->setObjectName(QStringLiteral("rgFormatDec"));
  auto* formatLayout = new QVBoxLayout(rgFormat);
  formatLayout->setContentsMargins(6, 0, 2, 2);
  formatLayout->setSpacing(0);
  formatLayout->addWidget(rgFormatHex);
  formatLayout->addWidget(rgFormatDec);
  FitFormatItems();
  rgFormatHex->setChecked(true);
  connect(rgFormatHex, &QRadioButton::toggled, this, &TF_HexEdit::rgFormatClick);

  FormCreate();
}

TF_HexEdit::~TF_HexEdit() {
  // The panel may live in a settings window by now; it goes with the view.
  delete panel_.data();
}

// The radio group keeps its designed width: with a font wider than the design's, its items
// get a smaller font rather than a cut caption.
void TF_HexEdit::FitFormatItems() {
  rgFormat->layout()->activate();
  const QString hex = rgFormatHex->text(), dec = rgFormatDec->text();
  const int indicator =
      rgFormatHex->sizeHint().width() - rgFormatHex->fontMetrics().horizontalAdvance(hex);
  const QFont font =
      FontFittingWidth(rgFormatHex->font(), {hex, dec}, rgFormatHex->width() - indicator);
  rgFormatHex->setFont(font);
  rgFormatDec->setFont(font);
}

void TF_HexEdit::FormCreate() {
  for (int i = 0; i < 16; ++i) {
    auto* label = new QLabel(QString::number(i * 16), P_HexEdit);
    label->setObjectName(QStringLiteral("RowLabel%1").arg(i));
    const int h = SG_Data->rowHeight(i) - kGridLine;
    label->setGeometry(SG_Data->x() / 3, 0, SG_Data->x() / 2, label->sizeHint().height());
    label->move(label->x(), i * (h + 1) + SG_Data->y() + (h + 1) / 2 - label->height() / 2 + 2);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RowLabels[i] = label;
  }
}

void TF_HexEdit::Attach(QWidget* owner, const std::uint8_t* recordBytes, std::uint8_t mode) {
  RecordBytes = recordBytes;
  P_HexEdit->setParent(owner);
  P_HexEdit->move(0, 0);
  P_HexEdit->show();
  ViewMode = mode;
  if (mode == 1) ViewSize = 256;
  ShowBytes(recordBytes);
}

void TF_HexEdit::ShowBytes(const std::uint8_t* recordBytes) {
  RecordBytes = recordBytes;
  std::memcpy(LocalBytes.data(), RecordBytes, size_t(ViewSize));
  FillGrid();
}

bool TF_HexEdit::Hexadecimal() const {
  return rgFormatHex->isChecked();
}

void TF_HexEdit::rgFormatClick() {
  FillGrid();
}

void TF_HexEdit::FillGrid() {
  const bool hex = Hexadecimal();
  for (int b = 0; b < 256; ++b) {
    const int value = b < ViewSize ? LocalBytes[b] : 0;
    const QString text = hex ? QStringLiteral("%1").arg(value, 2, 16, QChar(u'0'))
                             : QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
    QTableWidgetItem* cell = SG_Data->item(b / 16, b % 16);
    if (!cell) {
      cell = new QTableWidgetItem;
      SG_Data->setItem(b / 16, b % 16, cell);
    }
    cell->setText(text);
  }
}

QString TF_HexEdit::CellText(int row, int column) const {
  const QTableWidgetItem* cell = SG_Data->item(row, column);
  return cell ? cell->text() : QString();
}

QColor TF_HexEdit::CellColour(int index) const {
  return KnownRawBytes.count(index) ? QColor(255, 0, 0) : QColor(255, 255, 255);
}

void TF_HexEdit::DescribeByte(int row, int column) {
  if (row < 0 || column < 0 || ViewSize == 0) return;
  const int b = row * 16 + column;
  QString text = QStringLiteral("Byte %1\n(0x%2)\n\nValue %3\n(0x%4)")
                     .arg(b)
                     .arg(b, 2, 16, QChar(u'0'))
                     .arg(LocalBytes[b])
                     .arg(LocalBytes[b], 2, 16, QChar(u'0'));
  const QString meaning = Meaning(b);
  if (!meaning.isEmpty()) text += QStringLiteral("\n\n") + meaning;
  Label2->setText(text);
}
