#include "imaging/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/byte_stream.h"

namespace fotoloom {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// The bytes of a bitmap file: either all in memory, or read from the file on demand through a
// window, so that only the headers and the pixel data's own bytes are ever read, whatever the
// file's size. Little-endian reads; every access is checked against the end of the data.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size)
      : window_(data), windowSize_(size), size_(size) {}
  explicit Bytes(TInputFile& file) : size_(file.Size()), file_(&file) {}
  // True when count bytes at offset lie inside the data; nothing is read.
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  // The count bytes at offset, valid until the next call.
  const std::uint8_t* at(std::uint64_t offset, std::size_t count) {
    if (!Has(offset, count)) Invalid();
    if (offset < windowStart_ || offset - windowStart_ > windowSize_ ||
        count > windowSize_ - (offset - windowStart_)) {
      Load(offset, count);
    }
    return window_ + (offset - windowStart_);
  }
  std::uint16_t U16(std::uint64_t offset) {
    const std::uint8_t* p = at(offset, 2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t U32(std::uint64_t offset) {
    const std::uint8_t* p = at(offset, 4);
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
  }
  std::int32_t I32(std::uint64_t offset) { return static_cast<std::int32_t>(U32(offset)); }

 private:
  static constexpr std::size_t kWindowBytes = 1 << 20;

  void Load(std::uint64_t offset, std::size_t count) {
    if (file_ == nullptr) Invalid();  // unreachable: memory data is one window
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(count, kWindowBytes), size_ - offset));
    buffer_.resize(want);
    // A file that shrank since it was opened is as short as what is left of it.
    const std::size_t got = file_->ReadAt(offset, buffer_.data(), want);
    if (got < count) Invalid();
    window_ = buffer_.data();
    windowStart_ = offset;
    windowSize_ = got;
  }

  const std::uint8_t* window_ = nullptr;
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
  std::uint64_t size_;
  TInputFile* file_ = nullptr;
  std::vector<std::uint8_t> buffer_;
};

// One colour channel of a 16- or 32-bit pixel: its mask position and how to widen to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;  // largest value after shifting; 0 for an absent channel

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = std::uint64_t{m} >> shift;
  }
  std::uint8_t Get(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t v = (std::uint64_t{pixel} & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

std::size_t Stride(int width, int bits) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
}

TPixelBuffer AllocatePixels(std::size_t size) {
  TPixelBuffer buffer = TPixelBuffer::Allocate(size);
  // The bound was checked: what is refused now is memory running out.
  if (!buffer) throw std::bad_alloc();
  return buffer;
}

// Run-length data (RLE8 or RLE4) drawn onto a 24-bit bottom-up buffer. Pixels the data skips
// take colour 0 of the table. Any run, delta or line end that leaves the image, and any colour
// outside the table, makes the file invalid; so does a stream longer than any drawing of the
// image needs (four bytes for each pixel and each row: only deltas that move nowhere could
// make it longer).
void DecodeRle(Bytes& file, std::uint64_t offset, bool rle4, const TPalette& table, int width,
               int height, std::uint8_t* out, std::size_t stride) {
  const TPaletteEntry background = table.empty() ? TPaletteEntry{} : table[0];
  if (background != TPaletteEntry{}) {
    for (int y = 0; y < height; ++y) {
      std::uint8_t* p = out + static_cast<std::size_t>(y) * stride;
      for (int x = 0; x < width; ++x, p += 3) {
        p[0] = background.blue;
        p[1] = background.green;
        p[2] = background.red;
      }
    }
  }
  // x and y stay within 0 .. width + 255 and 0 .. height: every move below is checked.
  int x = 0, y = 0;  // y counts stored rows, from the bottom
  auto put = [&](int index) {
    if (x >= width || y >= height) Invalid();
    if (static_cast<std::size_t>(index) >= table.size()) Invalid();
    std::uint8_t* p = out + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
    p[0] = table[static_cast<std::size_t>(index)].blue;
    p[1] = table[static_cast<std::size_t>(index)].green;
    p[2] = table[static_cast<std::size_t>(index)].red;
    ++x;
  };
  const std::uint64_t end =
      offset + 4 * (static_cast<std::uint64_t>(width) + 1) * static_cast<std::uint64_t>(height) + 2;
  std::uint64_t pos = offset;
  for (;;) {
    if (pos >= end) Invalid();
    const std::uint8_t* code = file.at(pos, 2);
    pos += 2;
    const int count = code[0], value = code[1];
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(rle4 ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
    } else if (value == 0) {  // end of line
      if (y >= height) Invalid();
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      const std::uint8_t* d = file.at(pos, 2);
      pos += 2;
      x += d[0];
      y += d[1];
      if (x > width || y > height || (y == height && x > 0)) Invalid();
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const int n = value;
      const std::size_t bytes =
          rle4 ? (static_cast<std::size_t>(n) + 1) / 2 : static_cast<std::size_t>(n);
      const std::uint8_t* p = file.at(pos, bytes);
      for (int i = 0; i < n; ++i) put(rle4 ? ((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
      pos += (bytes + 1) & ~std::size_t{1};
    }
  }
}

// The decoder proper, over the bytes of a whole file.
TBitmap Decode(Bytes& file, const THeaderHandler& onHeader) {
  const std::uint8_t* start = file.at(0, 14 + 12);
  if (start[0] != 'B' || start[1] != 'M') Invalid();
  const std::uint32_t pixelOffset = file.U32(10);
  const std::uint32_t headerSize = file.U32(14);
  const std::size_t info = 14;

  TBitmap bmp;
  int width = 0, height = 0, planes = 0, bits = 0;
  std::uint32_t compression = kBiRgb, usedColors = 0;
  std::size_t paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};
  bool haveMasks = false;
  if (headerSize == 12) {
    width = file.U16(info + 4);
    height = file.U16(info + 6);
    planes = file.U16(info + 8);
    bits = file.U16(info + 10);
    paletteEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    width = file.I32(info + 4);
    height = file.I32(info + 8);
    planes = file.U16(info + 12);
    bits = file.U16(info + 14);
    compression = file.U32(info + 16);
    bmp.xPelsPerMeter = file.I32(info + 24);
    bmp.yPelsPerMeter = file.I32(info + 28);
    usedColors = file.U32(info + 32);
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = file.U32(info + 40 + 4 * static_cast<std::size_t>(i));
      haveMasks = compression == kBiBitfields;
    } else if (compression == kBiBitfields) {
      for (int i = 0; i < 3; ++i) masks[i] = file.U32(info + 40 + 4 * static_cast<std::size_t>(i));
      haveMasks = true;
    }
  } else {
    Invalid();
  }
  if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) Invalid();
  const bool topDown = height < 0;
  if (topDown) height = -height;

  if (compression > kBiBitfields) throw EPixwellError("Unsupported compression");
  switch (bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      throw EPixwellError("Unsupported bit count");
  }
  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (compression == kBiRle8        ? bits != 8
      : compression == kBiRle4      ? bits != 4
      : compression == kBiBitfields ? (bits != 16 && bits != 32)
                                    : compression != kBiRgb) {
    throw EPixwellError("Unsupported compression");
  }
  if (rle && topDown) Invalid();

  // Colour table: right after the header (and the masks of a 40-byte BI_BITFIELDS header).
  std::uint64_t tableOffset = info + headerSize;
  if (headerSize == 40 && compression == kBiBitfields) tableOffset += 12;
  if (bits <= 8) {
    const std::uint32_t full = 1u << bits;
    std::uint32_t count = usedColors == 0 ? full : usedColors;
    if (count > full) {
      // An oversized table is tolerated when it is really there; only 2^bits entries count.
      if (!file.Has(tableOffset, std::uint64_t{count} * paletteEntrySize)) Invalid();
      count = full;
    }
    const std::uint8_t* t = file.at(tableOffset, count * paletteEntrySize);
    for (std::uint32_t i = 0; i < count; ++i, t += paletteEntrySize) {
      bmp.colorTable.push_back({t[2], t[1], t[0]});
    }
    bmp.usedColors = static_cast<int>(count);
  }

  // Everything is checked before any pixel data is read: the image against the bound, and
  // the stored rows of an uncompressed file against the bound and the file's end.
  const int outBits = (bits <= 8 && !rle) ? bits : 24;
  CheckImageBound(width, height, outBits);
  const std::size_t inStride = Stride(width, bits);
  const std::uint64_t inBytes = std::uint64_t{inStride} * static_cast<std::uint64_t>(height);
  if (!rle) {
    if (pixelOffset + inBytes > kMaxImageBytes) throw EPixwellError("CreateDibSection failed");
    if (!file.Has(pixelOffset, inBytes)) Invalid();
  }
  if (onHeader) onHeader({width, height, outBits});
  bmp.width = width;
  bmp.height = height;
  bmp.bitsPerPixel = outBits;
  bmp.compression = kBiRgb;
  const std::size_t outStride = Stride(width, outBits);
  bmp.bits = AllocatePixels(outStride * static_cast<std::size_t>(height));
  std::uint8_t* out = bmp.bits.data();

  if (rle) {
    DecodeRle(file, pixelOffset, compression == kBiRle4, bmp.colorTable, width, height, out,
              outStride);
    bmp.colorTable.clear();
    bmp.usedColors = 0;
    return bmp;
  }

  if (bits > 8 && bits != 24 && !haveMasks) {
    if (bits == 16) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    } else {
      masks[0] = 0x00FF0000;
      masks[1] = 0x0000FF00;
      masks[2] = 0x000000FF;
    }
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  const std::size_t limit = bmp.colorTable.size();
  // Rows in the order they are stored in the file; y counts from the bottom, as the output
  // does.
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = topDown ? height - 1 - fileRow : fileRow;
    const std::uint8_t* src =
        file.at(pixelOffset + static_cast<std::uint64_t>(fileRow) * inStride, inStride);
    std::uint8_t* dst = out + static_cast<std::size_t>(y) * outStride;
    if (bits <= 8) {
      // A pixel naming a colour past the table's end makes the file invalid.
      if (limit < (1u << bits)) {
        for (int x = 0; x < width; ++x) {
          const int index = bits == 8   ? src[x]
                            : bits == 4 ? ((x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4))
                                        : ((src[x >> 3] >> (7 - (x & 7))) & 1);
          if (static_cast<std::size_t>(index) >= limit) Invalid();
        }
      }
      std::memcpy(dst, src, inStride);
    } else if (bits == 24) {
      std::memcpy(dst, src, inStride);
    } else {
      for (int x = 0; x < width; ++x, dst += 3) {
        std::uint32_t px;
        if (bits == 16) {
          px = static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
        } else {
          const std::uint8_t* p = src + 4 * static_cast<std::size_t>(x);
          px = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
        }
        dst[0] = blue.Get(px);
        dst[1] = green.Get(px);
        dst[2] = red.Get(px);
      }
    }
  }
  return bmp;
}

}  // namespace

TBitmap ReadBitmap(const std::uint8_t* data, std::size_t size, const THeaderHandler& onHeader) {
  Bytes bytes(data, size);
  return Decode(bytes, onHeader);
}

void LoadBitmapFile(const std::string& fileName, TDibGraphic& image,
                    const THeaderHandler& onHeader) {
  TInputFile file(fileName);
  Bytes bytes(file);
  // Moving the bitmap in hands its rows to the image without another copy.
  image.Assign(Decode(bytes, onHeader));
}

}  // namespace fotoloom
