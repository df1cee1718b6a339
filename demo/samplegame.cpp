#include "samplegame.h"

#include "gifwriter.h"
#include "stringtable.h"
#include "unitlayout.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct UnitValues {
  std::int32_t health, cost;
  std::uint8_t buildSpeed, fireSpeed, armor, rateOfTurn, sight, owners;  // owners: byte 44 bits
  bool inaccurate, selfHeal;
};

constexpr std::uint8_t A = 0x10, O = 0x04, H = 0x02;

// Values in the ranges the settings windows offer, varied so that every control shows something.
const std::array<UnitValues, 7> kInfantry = {{
    {110, 50, 200, 12, 1, 6, 2, A | O | H, false, false},  // Light Infantry
    {140, 90, 170, 30, 2, 6, 3, A | O | H, true, false},   // Troopers
    {220, 120, 120, 20, 3, 7, 5, A, false, true},          // Fremen
    {250, 140, 110, 18, 4, 7, 4, H, false, false},         // Sardaukar
    {80, 400, 150, 0, 0, 5, 2, A | O | H, false, false},   // Engineer
    {60, 250, 140, 0, 0, 5, 3, A | O, false, false},       // Thumper
    {120, 300, 90, 10, 1, 6, 4, O, false, true},           // Saboteur
}};

const std::array<UnitValues, 21> kVehicles = {{
    {300, 250, 180, 15, 3, 12, 4, A, false, false},          // Trike
    {320, 300, 170, 14, 3, 13, 4, O, false, false},          // Raider
    {400, 350, 150, 18, 5, 10, 4, A | H, false, false},      // Quad
    {2000, 1200, 60, 0, 9, 4, 3, A | O | H, false, false},   // Harvester
    {800, 700, 100, 45, 9, 6, 4, A, false, false},           // Atriedies Combat Tank
    {900, 700, 95, 50, 10, 5, 4, H, false, false},           // Harkonnen Combat Tank
    {750, 700, 105, 40, 8, 7, 4, O, false, false},           // Ordos Combat Tank
    {3000, 2000, 40, 0, 12, 3, 3, A | O | H, false, false},  // Mobile Contruction Vehicle
    {500, 900, 80, 90, 5, 6, 6, A | O | H, true, false},     // Missile Tank
    {500, 1000, 70, 110, 5, 6, 6, O, true, false},           // Ordos Deviator
    {1000, 850, 75, 70, 11, 5, 5, A | O | H, true, false},   // Siege Tank
    {900, 1100, 60, 80, 9, 5, 5, A, false, false},           // Sonic Tank
    {3500, 1600, 30, 60, 15, 2, 5, H, false, true},          // Harkonnen Devastator
    {600, 1100, 90, 0, 4, 9, 2, A | H, false, false},        // CarryAll #1
    {600, 1100, 90, 0, 4, 9, 2, O, false, false},            // CarryAll #2
    {200, 800, 120, 25, 2, 14, 6, A, false, false},          // Ornithopter
    {5000, 0, 0, 0, 0, 0, 0, 0, false, false},               // Harkonnen Death Hand
    {100, 10, 10, 10, 1, 1, 1, 0, false, false},             // Unknown Unit #1
    {200, 20, 20, 20, 2, 2, 2, 0, false, false},             // Unknown Unit #2
    {300, 30, 30, 30, 3, 40, 3, 0, false, false},            // Unknown Unit #3
    {400, 40, 40, 40, 200, 4, 4, 0, false, false},           // Unknown Unit #4
}};

// Deterministic filler so that the bytes the editor must not touch are visibly not zero.
class Filler {
 public:
  explicit Filler(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  std::uint8_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(1 + (state_ >> 24) % 255);
  }

 private:
  std::uint32_t state_;
};

void PutLong(std::uint8_t* at, std::int32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = (std::uint32_t(value) >> (8 * i)) & 0xFF;
}

void PutUnit(std::uint8_t* rec, const UnitValues& v, int number) {
  rec[2] = v.armor;
  rec[3] = v.rateOfTurn;
  PutLong(rec + 4, v.health);
  rec[14] = v.fireSpeed;
  rec[16] = v.sight;
  rec[20] = number % 6;
  PutLong(rec + 28, v.cost);
  rec[32] = v.buildSpeed;
  rec[37] = number % 2;
  rec[40] = number * 7;
  // Keep the game's own bits of byte 44 and set the houses.
  rec[44] = (rec[44] & 0xE9) | v.owners;
  rec[57] = (rec[57] & 0x7F) | (v.inaccurate ? 0x80 : 0);
  rec[58] = (rec[58] & 0x7F) | (v.selfHeal ? 0x80 : 0);
}

QColor HouseColour(int number) {
  const QString& picture = VehiclePictures[number];
  if (picture.startsWith(u'H')) return QColor(190, 30, 30);
  if (picture.startsWith(u'O')) return QColor(40, 150, 60);
  return QColor(40, 80, 200);
}

QImage DrawVehicle(int number, int width) {
  const int height = 48;
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 0));  // the bottom-left colour is what the menu makes transparent
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  const double sx = width / 64.0;
  const QColor house = HouseColour(number);
  const bool aircraft = number == 14 || number == 15 || number == 16;
  if (aircraft) {
    p.setBrush(house);
    p.setPen(QColor(230, 230, 230));
    p.drawEllipse(QRectF(14 * sx, 16, 36 * sx, 16));
    p.drawRect(QRectF(4 * sx, 21, 56 * sx, 6));
  } else {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 60, 50));
    p.drawRect(QRectF(6 * sx, 30, 52 * sx, 10));  // tracks
    p.setBrush(house);
    p.drawRect(QRectF(10 * sx, 18, 44 * sx, 14));  // hull
    p.setBrush(house.lighter(130));
    const double turret = 6 + (number % 5) * 2;
    p.drawEllipse(QRectF((32 - turret) * sx, 12, 2 * turret * sx, 12));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(32 * sx, 16, (18 + number % 4 * 3) * sx, 3));  // barrel
  }
  // A mark per vehicle so that the pictures differ at a glance.
  p.setBrush(QColor(240, 200, 60));
  p.setPen(Qt::NoPen);
  for (int dot = 0; dot < number % 6 + 1; ++dot)
    p.drawRect(QRectF((8 + dot * 5) * sx, 4, 3 * sx, 3));
  return image;
}

QImage DrawAnimationFrame(int frame, int frames) {
  QImage image(160, 104, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  const double turn = 2 * M_PI * frame / frames;
  // A desert planet with a moon going round it.
  QRadialGradient sand(QPointF(70, 42), 40);
  sand.setColorAt(0, QColor(240, 200, 120));
  sand.setColorAt(1, QColor(170, 110, 50));
  p.setBrush(sand);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(80, 52), 34, 34);
  p.setBrush(QColor(150, 90, 40));
  for (int dune = 0; dune < 3; ++dune) {
    const double x = 80 + 26 * std::cos(turn + dune * 2.1);
    if (std::sin(turn + dune * 2.1) > 0) p.drawEllipse(QPointF(x, 44 + dune * 9), 7, 3);
  }
  const QPointF moon(80 + 62 * std::cos(turn), 52 + 20 * std::sin(turn));
  p.setBrush(QColor(220, 220, 235));
  p.drawEllipse(moon, 7, 7);
  return image;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

namespace SampleGame {

QByteArray TemplatesBin() {
  QByteArray bin(kRecordCount * 256 + kTrailingBytes, '\0');
  for (int record = 0; record * 256 < bin.size(); ++record) {
    Filler filler(record + 1);
    for (qsizetype at = record * 256; at < (record + 1) * 256 && at < bin.size(); ++at) {
      bin[at] = char(filler.Next());
    }
  }
  auto* data = reinterpret_cast<std::uint8_t*>(bin.data());
  for (int i = 1; i <= VehicleCount; ++i) PutUnit(data + VehicleOffsets[i], kVehicles[i - 1], i);
  // Written last: the record that infantry 3 shares with vehicle 17 holds the Fremen.
  for (int i = 1; i <= InfantryCount; ++i) PutUnit(data + InfantryOffsets[i], kInfantry[i - 1], i);
  return bin;
}

QByteArray VehicleBmp(int number, int width) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  DrawVehicle(number, width).save(&buffer, "BMP");
  return bytes;
}

bool Write(const QString& folder) {
  QDir root(folder);
  if (!root.mkpath(u"data/bin"_s) || !root.mkpath(u"data/ui_gfx"_s)) return false;
  bool ok = WriteFile(root.filePath(u"data/bin/templates.bin"_s), TemplatesBin());
  ok =
      ok &&
      WriteFile(root.filePath(u"Dune2000.exe"_s),
                QByteArray("MZ sample placeholder: the editor starts this file, never reads it\n"));
  for (int i = 1; i <= VehicleCount && ok; ++i) {
    if (VehiclePictures[i].isEmpty()) continue;
    ok = WriteFile(root.filePath(u"data/ui_gfx/"_s + VehiclePictures[i]), VehicleBmp(i));
  }
  return ok;
}

bool WriteAnimation(const QString& path) {
  constexpr int kFrames = 16;
  std::vector<QImage> frames;
  for (int i = 0; i < kFrames; ++i) frames.push_back(DrawAnimationFrame(i, kFrames));
  return WriteAnimatedGif(path, frames, 8);
}

}  // namespace SampleGame
