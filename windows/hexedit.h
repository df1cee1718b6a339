#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <set>

class QGroupBox;
class QLabel;
class QRadioButton;
class QTableWidget;

// The byte offsets of a unit record that the editor knows about, drawn in red.
extern const std::set<int> KnownRawBytes;

// The raw record view: the 256 bytes of one unit record as a 16 x 16 grid, in hexadecimal or
// decimal. It is never shown as a window of its own: `Attach` moves its panel into a settings
// window. It only displays; a typed cell changes nothing in the record.
class TF_HexEdit : public QWidget {
  Q_OBJECT
 public:
  explicit TF_HexEdit(QWidget* owner);
  ~TF_HexEdit() override;

  // Takes a copy of the record's bytes (mode 1: a whole unit record of 256 bytes) and shows it
  // inside `owner`, which becomes the panel's parent.
  void Attach(QWidget* owner, const std::uint8_t* recordBytes, std::uint8_t mode);
  // Shows the record's bytes anew, after the record changed.
  void ShowBytes(const std::uint8_t* recordBytes);
  void rgFormatClick();
  bool Hexadecimal() const;
  QString CellText(int row, int column) const;
  QColor CellColour(int index) const;

  QWidget* P_HexEdit;
  QLabel* Label1;
  QLabel* Label3;
  QWidget* Bevel1;
  QTableWidget* SG_Data;
  QGroupBox* GB_Info;
  QLabel* Label2;
  QGroupBox* rgFormat;
  QRadioButton* rgFormatHex;
  QRadioButton* rgFormatDec;
  std::array<QLabel*, 16> RowLabels{};

  std::array<std::uint8_t, 301> LocalBytes{};
  std::uint8_t ViewMode = 0;
  std::int32_t ViewSize = 0;
  const std::uint8_t* RecordBytes = nullptr;

 private:
  void FormCreate();
  void FitFormatItems();
  void FillGrid();
  void DescribeByte(int row, int column);

  QPointer<QWidget> panel_;  // the panel may be freed with the window it was moved into
};
