#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Reading of files in the Microsoft LZ format ("SZDD", as COMPRESS.EXE and mscompress write
// them) the way the system's LZ expander reads them: the expanded size comes from the header,
// reads deliver expanded bytes, and a file without the format's signature passes through
// unchanged. Unlike the old expander, a stream that ends before the size its header promises is
// an error, so a damaged file is never taken for a complete one.
//
// The format: the 8-byte signature "SZDD" 88 F0 27 33, the method 'A', one byte (the last letter
// of the original name), the expanded size (32 bits, little-endian), then LZSS data: a flag byte
// whose bits, lowest first, announce a literal byte (1) or a two-byte match (0) into a 4096-byte
// window that starts filled with blanks and written from position 4096 - 16.

// Where the stored bytes come from.
class LzInput {
 public:
  virtual ~LzInput() = default;
  // Bytes read, 0 at the end, -1 when reading fails.
  virtual std::int64_t Read(char* buffer, std::int64_t count) = 0;
  // The number of stored bytes, for a file that is not compressed.
  virtual std::int64_t Size() const = 0;
};

enum class LzOpenError {
  None,
  CannotOpen,  // missing or unreadable
  BadHeader,   // the signature is there, but the header is cut short or names another method
};

class LzReader {
 public:
  static constexpr int kHeaderSize = 14;

  // Opens a file; the name is matched without regard to letter case. Null on failure.
  static std::unique_ptr<LzReader> OpenFile(const QString& path, LzOpenError* error = nullptr);
  // Reads from bytes held in memory, which must outlive the reader.
  static std::unique_ptr<LzReader> OpenMemory(QByteArrayView data, LzOpenError* error = nullptr);
  static std::unique_ptr<LzReader> Open(std::unique_ptr<LzInput> input, LzOpenError* error);

  bool Compressed() const { return compressed_; }
  // The size of the expanded data: from the header, or the size of a plain file.
  std::int64_t Size() const { return size_; }
  // Up to `count` expanded bytes; fewer only at the end of the data. -1 when the stream is
  // damaged (it ends too early) or reading fails; every later read fails too.
  std::int64_t Read(char* out, std::int64_t count);

 private:
  explicit LzReader(std::unique_ptr<LzInput> input);
  bool ReadHeader(LzOpenError* error);
  std::int64_t ReadPlain(char* out, std::int64_t count);
  std::int64_t Decode(unsigned char* out, std::int64_t count);
  bool Refill();

  static constexpr unsigned kWindowSize = 4096;
  static constexpr unsigned kWindowMask = kWindowSize - 1;
  static constexpr std::int64_t kInputChunk = 64 * 1024;

  std::unique_ptr<LzInput> input_;
  bool compressed_ = false;
  bool failed_ = false;
  std::int64_t size_ = 0;
  std::int64_t left_ = 0;  // expanded bytes still to deliver

  std::vector<unsigned char> in_;
  std::size_t inPos_ = 0, inEnd_ = 0;
  bool inputEnded_ = false;

  std::array<unsigned char, kWindowSize> window_{};
  unsigned windowPos_ = 0;
  unsigned flags_ = 0;  // the current flag byte, shifted; 1 when all eight bits are used
  unsigned matchPos_ = 0, matchLeft_ = 0;  // the rest of a match a read stopped inside of
};
