#include "hexedit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class RawView : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 256; ++i) bytes[i] = std::uint8_t(i);
    view = new TF_HexEdit(&host);
    host.resize(589, 314);
    view->Attach(&host, bytes, 1);
  }
  void TearDown() override { delete view; }

  std::uint8_t bytes[256];
  QWidget host;
  TF_HexEdit* view = nullptr;
};

TEST_F(RawView, ShowsTheRecordRowByRowInEitherFormat) {
  EXPECT_EQ(view->ViewSize, 256);
  EXPECT_EQ(view->P_HexEdit->parentWidget(), &host);
  EXPECT_EQ(view->CellText(0, 0), QStringLiteral("00"));
  EXPECT_EQ(view->CellText(0, 10), QStringLiteral("0a"));
  EXPECT_EQ(view->CellText(15, 15), QStringLiteral("ff"));
  QStringList labels;
  for (QLabel* label : view->RowLabels) labels << label->text();
  view->rgFormatDec->click();
  EXPECT_FALSE(view->Hexadecimal());
  EXPECT_EQ(view->CellText(0, 7), QStringLiteral("07"));
  EXPECT_EQ(view->CellText(15, 15), QStringLiteral("255"));
  EXPECT_EQ(view->CellText(6, 4), QStringLiteral("100"));
  QStringList after;
  for (QLabel* label : view->RowLabels) after << label->text();
  EXPECT_EQ(after, labels);
  EXPECT_EQ(labels.first(), QStringLiteral("0"));
  EXPECT_EQ(labels.last(), QStringLiteral("240"));
  view->rgFormatHex->click();
  EXPECT_EQ(view->CellText(15, 15), QStringLiteral("ff"));
}

TEST_F(RawView, EveryRowIsShownBesideItsLabel) {
  host.show();
  QCoreApplication::processEvents();
  QTableWidget* grid = view->SG_Data;
  for (int row = 0; row < 16; ++row) {
    const QRect cell = grid->visualRect(grid->model()->index(row, 15));
    EXPECT_TRUE(grid->viewport()->rect().contains(cell)) << "row " << row;
    const int rowCentre = grid->viewport()->mapTo(view->P_HexEdit, cell.center()).y();
    const int labelCentre = view->RowLabels[row]->geometry().center().y();
    EXPECT_LE(std::abs(rowCentre - labelCentre), 2) << "row " << row;
  }
}

TEST_F(RawView, KnownOffsetsAreRedInTheDrawnGrid) {
  const QImage grid = view->SG_Data->viewport()->grab().toImage();
  for (int b = 0; b < 40; ++b) {
    const QRect cell = view->SG_Data->visualRect(view->SG_Data->model()->index(b / 16, b % 16));
    const QColor colour = grid.pixelColor(cell.left() + 2, cell.top() + 2);
    const bool known = KnownRawBytes.count(b) > 0;
    EXPECT_EQ(colour == QColor(255, 0, 0), known) << "byte " << b;
    EXPECT_EQ(colour == QColor(255, 255, 255), !known) << "byte " << b;
  }
  EXPECT_EQ(KnownRawBytes,
            (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 14, 16, 17, 20, 27, 28, 29, 30, 31}));
}

TEST_F(RawView, ItOnlyDisplays) {
  // Typing into a cell changes nothing in the record, and the copy was taken at attachment.
  view->SG_Data->item(0, 2)->setText(QStringLiteral("zz"));
  bytes[3] = 99;
  EXPECT_EQ(bytes[2], 2);
  EXPECT_EQ(view->LocalBytes[3], 3);
  EXPECT_EQ(view->SG_Data->geometry(), QRect(49, 20, 420, 260));
  // Cells of 24 x 15 inside the grid lines.
  EXPECT_EQ(view->SG_Data->visualRect(view->SG_Data->model()->index(0, 0)).size(), QSize(24, 15));
}

}  // namespace
