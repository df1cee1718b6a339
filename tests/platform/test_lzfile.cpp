#include "compressed.h"
#include "lzfile.h"
#include "sampledir.h"

#include <QDir>
#include <QTemporaryDir>

#include <mspack.h>

#include <gtest/gtest.h>

#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

// Everything the reader gives, in reads of `chunk` bytes; nothing when a read fails.
std::optional<QByteArray> Expand(QByteArrayView stored, qint64 chunk = 32000) {
  auto reader = LzReader::OpenMemory(stored);
  if (!reader) return std::nullopt;
  QByteArray out;
  QByteArray block(chunk, '\0');
  for (;;) {
    const qint64 n = reader->Read(block.data(), chunk);
    if (n < 0) return std::nullopt;
    out += block.left(n);
    if (n < chunk) break;
  }
  EXPECT_EQ(out.size(), reader->Size());
  return out;
}

// libmspack's expansion of the same bytes, through files; nothing when it reports an error.
// It does not hold to the header's size: an empty file comes out as one byte, and data cut short
// comes out short without an error, so only an expansion of the promised size is compared.
std::optional<QByteArray> MspackExpand(const QByteArray& stored) {
  QTemporaryDir dir;
  const QString in = dir.filePath(u"in"_s), out = dir.filePath(u"out"_s);
  WriteAll(in, stored);
  msszdd_decompressor* d = mspack_create_szdd_decompressor(nullptr);
  const int error = d->decompress(d, QFile::encodeName(in).data(), QFile::encodeName(out).data());
  mspack_destroy_szdd_decompressor(d);
  if (error != MSPACK_ERR_OK) return std::nullopt;
  return ReadAll(out);
}

TEST(LzReader, AgreesWithLibmspackAndTheOriginalOnFilesOfMscompress) {
  unsigned seed = 100;
  for (qsizetype size : {0, 1, 5, 15, 16, 17, 4095, 4096, 4097, 32000, 32001, 100000, 300000}) {
    for (bool compressible : {true, false}) {
      const QByteArray original = TestBytes(size, ++seed, compressible);
      const QByteArray stored = MsCompressed(original);
      ASSERT_GE(stored.size(), LzReader::kHeaderSize) << size;
      const auto ours = Expand(stored);
      const auto theirs = MspackExpand(stored);
      ASSERT_TRUE(ours) << size;
      ASSERT_TRUE(theirs) << size;
      if (size > 0) {
        EXPECT_EQ(*ours, *theirs) << size << " " << compressible;
      }
      // mscompress itself loses the content of files shorter than 16 bytes.
      if (size >= 16) {
        EXPECT_EQ(*ours, original) << size << " " << compressible;
      }
      EXPECT_EQ(ours->size(), size);
    }
  }
}

TEST(LzReader, ReadsOfAnySizeGiveTheSameBytes) {
  const QByteArray original = TestBytes(70000, 7);
  const QByteArray stored = MsCompressed(original);
  for (qint64 chunk : {1, 2, 3, 17, 4095, 4096, 32000, 1 << 20}) {
    EXPECT_EQ(Expand(stored, chunk).value_or(QByteArray()), original) << chunk;
  }
}

TEST(LzReader, PlainDataPassesThroughUnchanged) {
  for (const QByteArray& plain : {QByteArray(), QByteArray("SZ"), QByteArray("SZDD"),
                                  QByteArray("SZDD\x88\xf0\x27"), TestBytes(100000, 8, false)}) {
    auto reader = LzReader::OpenMemory(plain);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->Compressed());
    EXPECT_EQ(reader->Size(), plain.size());
    EXPECT_EQ(Expand(plain, 999).value_or("failed"), plain);
  }
}

TEST(LzReader, RefusesABrokenHeader) {
  const QByteArray stored = MsCompressed(TestBytes(1000, 9));
  LzOpenError error = LzOpenError::None;
  EXPECT_FALSE(LzReader::OpenMemory(QByteArrayView(stored).first(13), &error));
  EXPECT_EQ(error, LzOpenError::BadHeader);
  QByteArray other = stored;
  other[8] = 'B';
  EXPECT_FALSE(LzReader::OpenMemory(other, &error));
  EXPECT_EQ(error, LzOpenError::BadHeader);
}

TEST(LzReader, EveryTruncationIsAnError) {
  const QByteArray stored = MsCompressed(TestBytes(20000, 10));
  for (qsizetype cut = LzReader::kHeaderSize; cut < stored.size();
       cut += cut < stored.size() - 40 ? 13 : 1) {
    EXPECT_FALSE(Expand(QByteArrayView(stored).first(cut))) << cut;
  }
  // Once failed, the reader stays failed.
  auto reader = LzReader::OpenMemory(QByteArrayView(stored).first(100));
  char buffer[32000];
  EXPECT_EQ(reader->Read(buffer, sizeof buffer), -1);
  EXPECT_EQ(reader->Read(buffer, 1), -1);
}

TEST(LzReader, DamagedStreamsFailOrAgreeWithLibmspack) {
  const QByteArray stored = MsCompressed(TestBytes(6000, 11));
  std::mt19937 random(12345);
  int agreed = 0;
  for (int round = 0; round < 400; ++round) {
    QByteArray damaged = stored;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      const qsizetype at =
          LzReader::kHeaderSize + random() % (damaged.size() - LzReader::kHeaderSize);
      switch (random() % 3) {
        case 0:
          damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
          break;
        case 1:
          damaged.remove(at, 1 + random() % 8);
          break;
        default:
          damaged.insert(at, static_cast<char>(random()));
      }
    }
    const auto ours = Expand(damaged, 1 + random() % 40000);
    if (!ours) continue;
    EXPECT_EQ(ours->size(), 6000);
    if (const auto theirs = MspackExpand(damaged); theirs && theirs->size() == ours->size()) {
      EXPECT_EQ(*ours, *theirs) << round;
      ++agreed;
    }
  }
  EXPECT_GT(agreed, 0);
}

TEST(LzReader, OpensFilesWhateverTheCaseOfTheirNames) {
  QTemporaryDir dir;
  const QByteArray original = TestBytes(5000, 13);
  WriteAll(dir.filePath(u"Prog.Ex_"_s), MsCompressed(original));
  auto reader = LzReader::OpenFile(dir.filePath(u"PROG.EX_"_s));
  ASSERT_TRUE(reader);
  EXPECT_TRUE(reader->Compressed());
  EXPECT_EQ(reader->Size(), 5000);
  LzOpenError error = LzOpenError::None;
  EXPECT_FALSE(LzReader::OpenFile(dir.filePath(u"missing"_s), &error));
  EXPECT_EQ(error, LzOpenError::CannotOpen);
  EXPECT_FALSE(LzReader::OpenFile(dir.path(), &error));
}

}  // namespace
