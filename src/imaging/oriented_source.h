// Reading an image as if it had been turned upright by its EXIF orientation, without
// making the turned copy: the resampler reads a photo stored sideways straight from its
// stored pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/dib_graphic.h"

namespace fotoloom {

class TOrientedSource {
 public:
  // Rows per block of LoadBlock.
  static constexpr int kBlockRows = 16;

  // orientation: 2 mirror, 3 rotate 180, 4 flip, 5 transpose, 6 rotate 90 clockwise,
  // 7 transverse, 8 rotate 90 counter-clockwise; 1 and every other value leave the image
  // as stored. REQUIRES: image not empty; it outlives this object and does not change.
  TOrientedSource(const TDibGraphic& image, int orientation);

  // Size of the upright picture.
  int Width() const { return width_; }
  int Height() const { return height_; }
  // True for the orientations that swap width and height (5 to 8).
  bool Transposed() const { return transposed_; }

  // Upright row y as blue, green, red bytes (3 x Width()); points into the image when the
  // stored row can serve as it is, else into scratch. Palette pixels give their colour.
  const std::uint8_t* Row(int y, std::vector<std::uint8_t>& scratch) const;

  // Upright rows y0 .. y0 + kBlockRows - 1, transposed for the vector loops:
  // block[(3 x + c) x kBlockRows + r] is channel c (blue, green, red) of pixel (x, y0 + r).
  // REQUIRES: y0 + kBlockRows <= Height(); block holds 3 x Width() x kBlockRows bytes,
  // 16-byte aligned.
  void LoadBlock(int y0, std::uint8_t* block, std::vector<std::uint8_t> (&scratch)[kBlockRows]) const;

  // Colour of upright pixel (x, y).
  TColor Pixel(int x, int y) const;

 private:
  void StoredBgr(int sx, int sy, std::uint8_t* out) const;

  const TDibGraphic& image_;
  bool transposed_ = false;
  int width_ = 0;
  int height_ = 0;
  // Stored position of upright (x, y): sx = ax + bx x + cx y, sy = ay + by x + cy y.
  int ax_ = 0, bx_ = 1, cx_ = 0, ay_ = 0, by_ = 0, cy_ = 1;
  // Colours of the 8-bit palette formats, by index.
  std::optional<std::array<std::array<std::uint8_t, 3>, 256>> table_;
};

}  // namespace fotoloom
