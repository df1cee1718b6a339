#include "lzfile.h"

#include "paths.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

class FileInput final : public LzInput {
 public:
  explicit FileInput(const QString& path) : file_(path) {}
  bool Open() { return file_.open(QIODevice::ReadOnly); }
  std::int64_t Read(char* buffer, std::int64_t count) override { return file_.read(buffer, count); }
  std::int64_t Size() const override { return file_.size(); }

 private:
  QFile file_;
};

class MemoryInput final : public LzInput {
 public:
  explicit MemoryInput(QByteArrayView data) : data_(data) {}
  std::int64_t Read(char* buffer, std::int64_t count) override {
    const std::int64_t n = std::min<std::int64_t>(count, data_.size() - pos_);
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += std::max<std::int64_t>(n, 0);
    return std::max<std::int64_t>(n, 0);
  }
  std::int64_t Size() const override { return data_.size(); }

 private:
  QByteArrayView data_;
  std::int64_t pos_ = 0;
};

}  // namespace

LzReader::LzReader(std::unique_ptr<LzInput> input) : input_(std::move(input)) {
  in_.resize(kInputChunk);
}

std::unique_ptr<LzReader> LzReader::OpenFile(const QString& path, LzOpenError* error) {
  const QString found = ResolveExisting(path);
  auto input = std::make_unique<FileInput>(found);
  if (found.isEmpty() || !QFileInfo(found).isFile() || !input->Open()) {
    if (error) *error = LzOpenError::CannotOpen;
    return nullptr;
  }
  return Open(std::move(input), error);
}

std::unique_ptr<LzReader> LzReader::OpenMemory(QByteArrayView data, LzOpenError* error) {
  return Open(std::make_unique<MemoryInput>(data), error);
}

std::unique_ptr<LzReader> LzReader::Open(std::unique_ptr<LzInput> input, LzOpenError* error) {
  std::unique_ptr<LzReader> reader(new LzReader(std::move(input)));
  if (!reader->ReadHeader(error)) return nullptr;
  if (error) *error = LzOpenError::None;
  return reader;
}

bool LzReader::ReadHeader(LzOpenError* error) {
  // Gather the header's bytes; a short file or one without the signature is plain data, and
  // the bytes gathered stay in the buffer to be delivered first.
  while (inEnd_ < static_cast<std::size_t>(kHeaderSize)) {
    const std::int64_t n = input_->Read(reinterpret_cast<char*>(in_.data()) + inEnd_,
                                        static_cast<std::int64_t>(in_.size() - inEnd_));
    if (n < 0) {
      if (error) *error = LzOpenError::CannotOpen;
      return false;
    }
    if (n == 0) break;
    inEnd_ += static_cast<std::size_t>(n);
  }
  const std::size_t have = std::min(inEnd_, sizeof kSignature);
  if (have < sizeof kSignature || std::memcmp(in_.data(), kSignature, sizeof kSignature) != 0) {
    compressed_ = false;
    size_ = input_->Size();
    return true;
  }
  if (inEnd_ < static_cast<std::size_t>(kHeaderSize) || in_[8] != 'A') {
    if (error) *error = LzOpenError::BadHeader;
    return false;
  }
  compressed_ = true;
  size_ = static_cast<std::int64_t>(std::uint32_t(in_[10]) | std::uint32_t(in_[11]) << 8 |
                                    std::uint32_t(in_[12]) << 16 | std::uint32_t(in_[13]) << 24);
  left_ = size_;
  inPos_ = kHeaderSize;
  window_.fill(' ');
  windowPos_ = kWindowSize - 16;
  flags_ = 1;
  return true;
}

std::int64_t LzReader::Read(char* out, std::int64_t count) {
  if (failed_) return -1;
  if (count <= 0) return 0;
  const std::int64_t n =
      compressed_ ? Decode(reinterpret_cast<unsigned char*>(out), count) : ReadPlain(out, count);
  if (n < 0) failed_ = true;
  return n;
}

std::int64_t LzReader::ReadPlain(char* out, std::int64_t count) {
  std::int64_t done = 0;
  if (inPos_ < inEnd_) {
    const std::size_t n = std::min<std::size_t>(inEnd_ - inPos_, static_cast<std::size_t>(count));
    std::memcpy(out, in_.data() + inPos_, n);
    inPos_ += n;
    done += static_cast<std::int64_t>(n);
  }
  while (done < count && !inputEnded_) {
    const std::int64_t n = input_->Read(out + done, count - done);
    if (n < 0) return -1;
    if (n == 0) inputEnded_ = true;
    done += n;
  }
  return done;
}

bool LzReader::Refill() {
  if (inputEnded_) return false;
  const std::int64_t n =
      input_->Read(reinterpret_cast<char*>(in_.data()), static_cast<std::int64_t>(in_.size()));
  if (n <= 0) {
    inputEnded_ = true;
    return false;
  }
  inPos_ = 0;
  inEnd_ = static_cast<std::size_t>(n);
  return true;
}

std::int64_t LzReader::Decode(unsigned char* out, std::int64_t count) {
  const std::int64_t want = std::min(count, left_);
  std::int64_t done = 0;
  unsigned char* const window = window_.data();
  unsigned pos = windowPos_;

  // The rest of a match that the last read stopped inside of.
  while (matchLeft_ > 0 && done < want) {
    const unsigned char c = window[matchPos_++ & kWindowMask];
    window[pos++ & kWindowMask] = c;
    out[done++] = c;
    --matchLeft_;
  }

  while (done < want) {
    if (flags_ == 1) {
      if (inPos_ == inEnd_ && !Refill()) return -1;
      flags_ = in_[inPos_++] | 0x100u;
    }
    if (flags_ & 1) {
      if (inPos_ == inEnd_ && !Refill()) return -1;
      const unsigned char c = in_[inPos_++];
      window[pos++ & kWindowMask] = c;
      out[done++] = c;
    } else {
      if (inPos_ == inEnd_ && !Refill()) return -1;
      const unsigned low = in_[inPos_++];
      if (inPos_ == inEnd_ && !Refill()) return -1;
      const unsigned high = in_[inPos_++];
      unsigned from = low | ((high & 0xF0u) << 4);
      const unsigned length = (high & 0x0Fu) + 3;
      const unsigned now = static_cast<unsigned>(std::min<std::int64_t>(length, want - done));
      for (unsigned i = 0; i < now; ++i) {
        const unsigned char c = window[from++ & kWindowMask];
        window[pos++ & kWindowMask] = c;
        out[done++] = c;
      }
      if (now < length) {
        matchPos_ = from;
        matchLeft_ = length - now;
      }
    }
    flags_ >>= 1;
  }

  windowPos_ = pos;
  left_ -= done;
  return done;
}
