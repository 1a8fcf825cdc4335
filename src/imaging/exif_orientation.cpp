#include "imaging/exif_orientation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/format_transform.h"

namespace fotoloom {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;

// Reads inside [data, data + size) only; the callers check the bounds first.
struct TiffReader {
  const std::uint8_t* data;
  std::size_t size;
  bool bigEndian;

  std::uint16_t U16(std::size_t at) const {
    return bigEndian ? static_cast<std::uint16_t>((data[at] << 8) | data[at + 1])
                     : static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
  }
  std::uint32_t U32(std::size_t at) const {
    return bigEndian ? (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) |
                           (std::uint32_t{data[at + 2]} << 8) | data[at + 3]
                     : (std::uint32_t{data[at + 3]} << 24) | (std::uint32_t{data[at + 2]} << 16) |
                           (std::uint32_t{data[at + 1]} << 8) | data[at];
  }
};

}  // namespace

int ExifOrientationFromApp1(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
  TiffReader tiff{data + 6, size - 6, false};
  if (tiff.data[0] == 'I' && tiff.data[1] == 'I') {
    tiff.bigEndian = false;
  } else if (tiff.data[0] == 'M' && tiff.data[1] == 'M') {
    tiff.bigEndian = true;
  } else {
    return 1;
  }
  if (tiff.U16(2) != 42) return 1;
  const std::uint32_t ifd = tiff.U32(4);
  if (ifd < 8 || ifd > tiff.size - 2) return 1;
  const std::size_t count = tiff.U16(ifd);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (entry + 12 > tiff.size) break;
    if (tiff.U16(entry) != kOrientationTag) continue;
    const std::uint16_t type = tiff.U16(entry + 2);
    std::uint32_t value;
    if (type == kTypeShort) {
      value = tiff.U16(entry + 8);
    } else if (type == kTypeLong) {
      value = tiff.U32(entry + 8);
    } else {
      return 1;
    }
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

void ApplyExifOrientation(TDibGraphic& image, int orientation) {
  if (orientation < 2 || orientation > 8 || image.Empty()) return;
  if (BitsPerPixel(image.Format()) < 8) {
    TImageFormatTransform toTrueColor;
    toTrueColor.Apply(image);
  }
  const int bpp = BitsPerPixel(image.Format()) / 8;  // 1 or 3
  const int w = image.Width(), h = image.Height();
  const bool transposed = orientation >= 5;
  const int dw = transposed ? h : w, dh = transposed ? w : h;

  TDibGraphic result;
  const TPalette palette = image.Palette();
  result.NewImage(dw, dh, image.Format(), palette.empty() ? nullptr : &palette, 0, 0);
  if (transposed) {
    result.SetPixelsPerMeter(image.YPixelsPerMeter(), image.XPixelsPerMeter());
  } else {
    result.SetPixelsPerMeter(image.XPixelsPerMeter(), image.YPixelsPerMeter());
  }

  // Source position of destination pixel (dx, dy): sx = ax + bx dx + cx dy and
  // sy = ay + by dx + cy dy, starting from the far edge wherever a step is negative.
  // Rows: mirror, rotate 180, flip, transpose, rotate 90 clockwise, transverse, rotate 90
  // anticlockwise.
  static constexpr int kSteps[9][4] = {{1, 0, 0, 1},   {1, 0, 0, 1},   {-1, 0, 0, 1},
                                       {-1, 0, 0, -1}, {1, 0, 0, -1},  {0, 1, 1, 0},
                                       {0, 1, -1, 0},  {0, -1, -1, 0}, {0, -1, 1, 0}};
  const int bx = kSteps[orientation][0], cx = kSteps[orientation][1];
  const int by = kSteps[orientation][2], cy = kSteps[orientation][3];
  const int ax = (bx < 0 || cx < 0) ? w - 1 : 0;
  const int ay = (by < 0 || cy < 0) ? h - 1 : 0;
  // Row pointers of the source, so each pixel is one lookup and no bounds arithmetic.
  std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) rows[static_cast<std::size_t>(y)] = image.Row(y);
  // Square tiles keep both the rows read and the rows written in the cache when a turn
  // makes the two run across each other.
  const int tile = transposed ? 64 : dw;
  for (int ty = 0; ty < dh; ty += tile) {
    const int yEnd = std::min(dh, ty + tile);
    for (int tx = 0; tx < dw; tx += tile) {
      const int xEnd = std::min(dw, tx + tile);
      for (int dy = ty; dy < yEnd; ++dy) {
        std::uint8_t* out = result.Row(dy) + static_cast<std::size_t>(tx) * bpp;
        int sx = ax + bx * tx + cx * dy, sy = ay + by * tx + cy * dy;
        for (int dx = tx; dx < xEnd; ++dx, sx += bx, sy += by, out += bpp) {
          const std::uint8_t* in =
              rows[static_cast<std::size_t>(sy)] + static_cast<std::size_t>(sx) * bpp;
          out[0] = in[0];
          if (bpp == 3) {
            out[1] = in[1];
            out[2] = in[2];
          }
        }
      }
    }
  }
  image.TakeOver(result);
}

}  // namespace fotoloom
