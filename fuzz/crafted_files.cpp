#include "crafted_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace fotoloom::crafted {

namespace {

// Sequential writer that leaves holes for runs of zeros it is told to skip.
class Writer {
 public:
  explicit Writer(const std::string& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {}
  ~Writer() {
    if (fd_ >= 0) ::close(fd_);
  }
  void Put(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) buffer_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void Bytes(const std::uint8_t* data, std::size_t size) {
    const std::size_t dropped = static_cast<std::size_t>(std::min<std::uint64_t>(drop_, size));
    drop_ -= dropped;
    buffer_.insert(buffer_.end(), data + dropped, data + size);
    if (buffer_.size() >= (1u << 20)) Flush();
  }
  // The next count bytes given to Bytes are left out.
  void Drop(std::uint64_t count) { drop_ = count; }
  void Bytes(const std::vector<std::uint8_t>& data) { Bytes(data.data(), data.size()); }
  void Hole(std::uint64_t size) {
    Flush();
    end_ += size;
  }
  std::uint64_t Offset() const { return end_ + buffer_.size(); }
  bool Finish() {
    Flush();
    return ok_ && fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(end_)) == 0 &&
           ::close(std::exchange(fd_, -1)) == 0;
  }

 private:
  void Flush() {
    std::size_t done = 0;
    while (ok_ && done < buffer_.size()) {
      const ssize_t n = ::pwrite(fd_, buffer_.data() + done, buffer_.size() - done,
                                 static_cast<off_t>(end_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok_ = false;
      if (n > 0) done += static_cast<std::size_t>(n);
    }
    end_ += buffer_.size();
    buffer_.clear();
  }

  int fd_;
  bool ok_ = fd_ >= 0;
  std::uint64_t end_ = 0;  // file offset of buffer_[0]
  std::uint64_t drop_ = 0;
  std::vector<std::uint8_t> buffer_;
};

// Little reader of fuzzer input: past the end every value is 0.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned U8() { return pos_ < size_ ? data_[pos_++] : 0; }
  unsigned U16() { return (U8() << 8) | U8(); }
  std::uint32_t U32() { return (std::uint32_t{U16()} << 16) | U16(); }
  bool Done() const { return pos_ >= size_; }
  const std::uint8_t* Rest() const { return data_ + std::min(pos_, size_); }
  std::size_t RestSize() const { return pos_ < size_ ? size_ - pos_ : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

bool IsFrameHeader(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

bool WriteBmp(const std::string& path, const Bmp& bmp) {
  const bool os2 = bmp.headerSize == 12;
  const bool fieldsAfterHeader = bmp.headerSize == 40 && bmp.compression == 3;
  const std::uint64_t natural = 14 + std::uint64_t{bmp.headerSize} + (fieldsAfterHeader ? 12 : 0) +
                                std::uint64_t{bmp.tableEntries} * (os2 ? 3 : 4);
  const std::uint64_t offset = static_cast<std::uint64_t>(
      std::max<std::int64_t>(0, static_cast<std::int64_t>(natural) + bmp.offsetShift));
  std::uint64_t pixelBytes = 0;
  for (const Piece& p : bmp.pixels) pixelBytes += p.bytes.size() * p.repeat;

  Writer out(path);
  out.Put('B', 1);
  out.Put('M', 1);
  out.Put(offset + pixelBytes, 4);
  out.Put(0, 4);
  out.Put(offset, 4);
  out.Put(bmp.headerSize, 4);
  const std::uint32_t masks[3] = {bmp.bits == 16 ? 0xF800u : 0xFF0000u,
                                  bmp.bits == 16 ? 0x07E0u : 0xFF00u,
                                  bmp.bits == 16 ? 0x001Fu : 0xFFu};
  if (os2) {
    out.Put(static_cast<std::uint16_t>(bmp.width), 2);
    out.Put(static_cast<std::uint16_t>(bmp.height), 2);
    out.Put(1, 2);
    out.Put(bmp.bits, 2);
  } else {
    out.Put(static_cast<std::uint32_t>(bmp.width), 4);
    out.Put(static_cast<std::uint32_t>(bmp.height), 4);
    out.Put(1, 2);
    out.Put(bmp.bits, 2);
    for (std::uint64_t v : {std::uint64_t{bmp.compression}, pixelBytes, std::uint64_t{2835},
                            std::uint64_t{2835}, std::uint64_t{bmp.usedColors}, std::uint64_t{0}}) {
      out.Put(v, 4);
    }
    // The masks of the longer headers (or right after a 40-byte one), then zeros.
    if (bmp.headerSize > 40 || fieldsAfterHeader) {
      for (std::uint32_t m : masks) out.Put(m, 4);
    }
    for (std::uint32_t n = 52; n < bmp.headerSize; ++n) out.Put(0, 1);
  }
  for (std::uint32_t i = 0; i < bmp.tableEntries; ++i) {
    const auto level = static_cast<std::uint8_t>(i * 37);
    const std::uint8_t entry[4] = {level, static_cast<std::uint8_t>(255 - level),
                                   static_cast<std::uint8_t>(i), 0};
    out.Bytes(entry, os2 ? 3 : 4);
  }
  if (offset > out.Offset()) out.Hole(offset - out.Offset());
  // A pixel offset inside the headers: the pixel data starts there all the same, and the
  // headers are its first bytes.
  out.Drop(out.Offset() - offset);
  for (const Piece& piece : bmp.pixels) {
    if (piece.bytes.empty()) continue;
    // Whole blocks of repeats, then the rest.
    const std::uint64_t perBlock = std::max<std::size_t>(1, 65536 / piece.bytes.size());
    std::vector<std::uint8_t> block;
    for (std::uint64_t r = 0; r < std::min(perBlock, piece.repeat); ++r) {
      block.insert(block.end(), piece.bytes.begin(), piece.bytes.end());
    }
    for (std::uint64_t r = 0; r + perBlock <= piece.repeat; r += perBlock) out.Bytes(block);
    const std::uint64_t rest = piece.repeat % perBlock;
    out.Bytes(block.data(), static_cast<std::size_t>(rest * piece.bytes.size()));
  }
  out.Hole(bmp.zeroTail);
  return out.Finish();
}

bool WriteJpeg(const std::string& path, const Jpeg& jpeg) {
  std::vector<std::uint8_t> file = jpeg.base;
  // Walk the segments up to the first frame header and rewrite its size and sampling.
  std::size_t pos = 2;
  while (pos + 4 <= file.size() && file[pos] == 0xFF) {
    const std::uint8_t marker = file[pos + 1];
    if (marker == 0xFF) {
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD8)) break;
    if (IsFrameHeader(marker) && pos + 12 <= file.size()) {
      if (jpeg.height != 0) {
        file[pos + 5] = static_cast<std::uint8_t>(jpeg.height >> 8);
        file[pos + 6] = static_cast<std::uint8_t>(jpeg.height);
      }
      if (jpeg.width != 0) {
        file[pos + 7] = static_cast<std::uint8_t>(jpeg.width >> 8);
        file[pos + 8] = static_cast<std::uint8_t>(jpeg.width);
      }
      if (jpeg.firstSampling != 0) file[pos + 11] = jpeg.firstSampling;
      break;
    }
    pos += 2 + ((std::size_t{file[pos + 2]} << 8) | file[pos + 3]);
  }

  // The first scan: its header and the entropy-coded data up to the next marker.
  if (jpeg.extraFirstScans > 0 && pos + 4 <= file.size() && file[pos] == 0xFF) {
    while (pos + 4 <= file.size() && file[pos] == 0xFF && file[pos + 1] != 0xDA) {
      pos += 2 + ((std::size_t{file[pos + 2]} << 8) | file[pos + 3]);
    }
    if (pos + 4 <= file.size() && file[pos] == 0xFF) {
      std::size_t end = pos + 2 + ((std::size_t{file[pos + 2]} << 8) | file[pos + 3]);
      while (end + 1 < file.size() &&
             !(file[end] == 0xFF && file[end + 1] != 0 && (file[end + 1] & 0xF8) != 0xD0)) {
        ++end;
      }
      end = std::min(end, file.size());
      std::vector<std::uint8_t> copies;
      for (std::uint32_t i = 0; i < jpeg.extraFirstScans; ++i) {
        copies.insert(copies.end(), file.begin() + static_cast<std::ptrdiff_t>(pos),
                      file.begin() + static_cast<std::ptrdiff_t>(end));
      }
      file.insert(file.begin() + static_cast<std::ptrdiff_t>(end), copies.begin(), copies.end());
    }
  }

  Writer out(path);
  const std::size_t head = std::min<std::size_t>(2, file.size());
  out.Bytes(file.data(), head);
  for (std::uint32_t i = 0; i < jpeg.emptyApp1Segments; ++i) {
    const std::uint8_t segment[4] = {0xFF, 0xE1, 0xFF, 0xFF};
    out.Bytes(segment, 4);
    out.Hole(0xFFFF - 2);
  }
  out.Bytes(file.data() + head, file.size() - head);
  return out.Finish();
}

Bmp BmpFromFuzzInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::uint32_t kHeaderSizes[] = {12, 40, 52, 56, 108, 124};
  static constexpr std::uint16_t kBits[] = {1, 4, 8, 16, 24, 32};
  Input in(data, size);
  Bmp bmp;
  const unsigned shape = in.U8();
  const unsigned kind = in.U8();
  bmp.headerSize = kHeaderSizes[shape % 6];
  bmp.bits = kBits[kind % 6];
  bmp.compression = (kind / 6) % 5;  // 4 is a kind no reader takes
  if (shape & 0x80) {                // any 32-bit values
    bmp.width = static_cast<std::int32_t>(in.U32());
    bmp.height = static_cast<std::int32_t>(in.U32());
  } else {
    bmp.width = static_cast<std::int32_t>(in.U16());
    bmp.height = static_cast<std::int32_t>(in.U16());
    if (shape & 0x40) bmp.height = -bmp.height;
  }
  bmp.usedColors = in.U16();
  bmp.tableEntries = in.U8() + ((shape & 0x20) ? 256 : 0);
  bmp.offsetShift = static_cast<std::int16_t>(in.U16());
  const unsigned tail = in.U8();
  bmp.zeroTail = tail == 0 ? 0 : std::uint64_t{1} << (tail % 34);
  // Pieces: length 1..8, then a repeat count of up to 2^24, then the bytes.
  std::uint64_t total = 0;
  while (!in.Done() && total < kMaxFuzzPixelBytes) {
    Piece piece;
    const unsigned length = 1 + in.U8() % 8;
    const unsigned count = in.U16();
    piece.repeat = std::uint64_t{count + 1} << (in.U8() % 9);
    for (unsigned i = 0; i < length; ++i) piece.bytes.push_back(static_cast<std::uint8_t>(in.U8()));
    piece.repeat = std::min(piece.repeat, (kMaxFuzzPixelBytes - total) / length + 1);
    total += piece.repeat * length;
    bmp.pixels.push_back(std::move(piece));
  }
  return bmp;
}

Jpeg JpegFromFuzzInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  Jpeg jpeg;
  jpeg.width = static_cast<std::uint16_t>(in.U16());
  jpeg.height = static_cast<std::uint16_t>(in.U16());
  const unsigned sampling = in.U8();
  jpeg.firstSampling =
      sampling == 0
          ? 0
          : static_cast<std::uint8_t>(((sampling >> 4) % 4 + 1) << 4 | (sampling % 4 + 1));
  jpeg.emptyApp1Segments = in.U8() * 64;
  jpeg.extraFirstScans = in.U8() * 8;
  jpeg.base.assign(in.Rest(), in.Rest() + in.RestSize());
  return jpeg;
}

}  // namespace fotoloom::crafted
