#include "gifwriter.h"

#include <QFile>

#include <cstdint>

namespace {

constexpr int kCubeR = 6, kCubeG = 7, kCubeB = 6;
constexpr int kTransparent = 255;
constexpr int kMinCodeSize = 8;
constexpr int kClearCode = 1 << kMinCodeSize;
constexpr int kEndCode = kClearCode + 1;
// Literal codes between two clear codes: the decoder's table then never grows past 9-bit codes.
constexpr int kLiteralsPerClear = 250;

int CubeIndex(QRgb c) {
  if (qAlpha(c) < 128) return kTransparent;
  const int r = (qRed(c) * (kCubeR - 1) + 127) / 255;
  const int g = (qGreen(c) * (kCubeG - 1) + 127) / 255;
  const int b = (qBlue(c) * (kCubeB - 1) + 127) / 255;
  return (r * kCubeG + g) * kCubeB + b;
}

// Packs codes of a fixed width into bytes, least significant bit first.
class BitPacker {
 public:
  void Put(int code, int width) {
    acc_ |= std::uint32_t(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out_.append(char(acc_ & 0xFF));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  QByteArray Finish() {
    if (bits_ > 0) out_.append(char(acc_ & 0xFF));
    return out_;
  }

 private:
  QByteArray out_;
  std::uint32_t acc_ = 0;
  int bits_ = 0;
};

void PutWord(QByteArray& out, int v) {
  out.append(char(v & 0xFF));
  out.append(char((v >> 8) & 0xFF));
}

QByteArray EncodeIndices(const QByteArray& indices) {
  BitPacker packer;
  const int width = kMinCodeSize + 1;
  packer.Put(kClearCode, width);
  int sinceClear = 0;
  for (char index : indices) {
    if (sinceClear == kLiteralsPerClear) {
      packer.Put(kClearCode, width);
      sinceClear = 0;
    }
    packer.Put(static_cast<std::uint8_t>(index), width);
    ++sinceClear;
  }
  packer.Put(kEndCode, width);
  const QByteArray data = packer.Finish();

  QByteArray blocks;
  blocks.append(char(kMinCodeSize));
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const QByteArray chunk = data.mid(at, 255);
    blocks.append(char(chunk.size()));
    blocks.append(chunk);
  }
  blocks.append('\0');
  return blocks;
}

}  // namespace

bool WriteAnimatedGif(const QString& path, const std::vector<QImage>& frames, int delay) {
  if (frames.empty()) return false;
  const int w = frames.front().width(), h = frames.front().height();

  QByteArray out("GIF89a");
  PutWord(out, w);
  PutWord(out, h);
  out.append(char(0xF7));  // global colour table of 256 entries
  out.append(char(kTransparent));
  out.append('\0');
  for (int i = 0; i < 256; ++i) {
    const int r = i / (kCubeG * kCubeB), g = (i / kCubeB) % kCubeG, b = i % kCubeB;
    const bool inCube = i < kCubeR * kCubeG * kCubeB;
    out.append(char(inCube ? r * 255 / (kCubeR - 1) : 0));
    out.append(char(inCube ? g * 255 / (kCubeG - 1) : 0));
    out.append(char(inCube ? b * 255 / (kCubeB - 1) : 0));
  }
  // Loop for ever.
  out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
  PutWord(out, 0);
  out.append('\0');

  for (const QImage& source : frames) {
    const QImage frame = source.convertToFormat(QImage::Format_ARGB32).scaled(w, h);
    out.append("\x21\xF9\x04", 3);
    out.append(char(0x09));  // restore to background, transparent colour given
    PutWord(out, delay);
    out.append(char(kTransparent));
    out.append('\0');

    out.append(',');
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, w);
    PutWord(out, h);
    out.append('\0');

    QByteArray indices;
    indices.reserve(w * h);
    for (int y = 0; y < h; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
      for (int x = 0; x < w; ++x) indices.append(char(CubeIndex(line[x])));
    }
    out.append(EncodeIndices(indices));
  }
  out.append(';');

  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size();
}
