#include "imaging/oriented_source.h"

#include <cstddef>
#include <cstdint>

#include "imaging/pass_kernels.h"

namespace fotoloom {

TOrientedSource::TOrientedSource(const TDibGraphic& image, int orientation) : image_(image) {
  const int w = image.Width(), h = image.Height();
  switch (orientation) {
    case 2: ax_ = w - 1; bx_ = -1; break;
    case 3: ax_ = w - 1; bx_ = -1; ay_ = h - 1; cy_ = -1; break;
    case 4: ay_ = h - 1; cy_ = -1; break;
    case 5: bx_ = 0; cx_ = 1; by_ = 1; cy_ = 0; break;
    case 6: bx_ = 0; cx_ = 1; ay_ = h - 1; by_ = -1; cy_ = 0; break;
    case 7: ax_ = w - 1; bx_ = 0; cx_ = -1; ay_ = h - 1; by_ = -1; cy_ = 0; break;
    case 8: ax_ = w - 1; bx_ = 0; cx_ = -1; by_ = 1; cy_ = 0; break;
    default: break;
  }
  transposed_ = orientation >= 5 && orientation <= 8;
  width_ = transposed_ ? h : w;
  height_ = transposed_ ? w : h;
  if (image.Format() == ifGray256 || image.Format() == ifColor256) {
    table_.emplace();
    table_->fill({0, 0, 0});  // an index past the palette's end reads as black
    const TPalette& palette = image.Palette();
    for (std::size_t n = 0; n < palette.size() && n < 256; ++n) {
      (*table_)[n] = {palette[n].blue, palette[n].green, palette[n].red};
    }
  }
}

void TOrientedSource::StoredBgr(int sx, int sy, std::uint8_t* out) const {
  if (image_.Format() == ifColor16M) {
    const std::uint8_t* p = image_.Row(sy) + 3 * static_cast<std::size_t>(sx);
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
  } else if (table_) {
    const auto& bgr = (*table_)[image_.Row(sy)[sx]];
    out[0] = bgr[0];
    out[1] = bgr[1];
    out[2] = bgr[2];
  } else {
    const TColor c = image_.GetColor(sx, sy);
    out[0] = static_cast<std::uint8_t>(ColorBlue(c));
    out[1] = static_cast<std::uint8_t>(ColorGreen(c));
    out[2] = static_cast<std::uint8_t>(ColorRed(c));
  }
}

TColor TOrientedSource::Pixel(int x, int y) const {
  std::uint8_t bgr[3];
  StoredBgr(ax_ + bx_ * x + cx_ * y, ay_ + by_ * x + cy_ * y, bgr);
  return MakeColor(bgr[2], bgr[1], bgr[0]);
}

const std::uint8_t* TOrientedSource::Row(int y, std::vector<std::uint8_t>& scratch) const {
  if (image_.Format() == ifColor16M && bx_ == 1) return image_.Row(ay_ + cy_ * y);
  scratch.resize(static_cast<std::size_t>(width_) * 3);
  std::uint8_t* out = scratch.data();
  int sx = ax_ + cx_ * y, sy = ay_ + cy_ * y;
  if (!transposed_ && image_.Format() == ifColor16M) {  // a mirrored row
    const std::uint8_t* in = image_.Row(sy) + 3 * static_cast<std::size_t>(sx);
    for (int x = 0; x < width_; ++x, in -= 3, out += 3) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  } else if (!transposed_ && table_) {
    const std::uint8_t* in = image_.Row(sy);
    for (int x = 0; x < width_; ++x, sx += bx_, out += 3) {
      const auto& bgr = (*table_)[in[sx]];
      out[0] = bgr[0];
      out[1] = bgr[1];
      out[2] = bgr[2];
    }
  } else {
    for (int x = 0; x < width_; ++x, sx += bx_, sy += by_, out += 3) StoredBgr(sx, sy, out);
  }
  return scratch.data();
}

void TOrientedSource::LoadBlock(int y0, std::uint8_t* block,
                                std::vector<std::uint8_t> (&scratch)[kBlockRows]) const {
  if (!transposed_) {
    const std::uint8_t* rows[kBlockRows];
    for (int r = 0; r < kBlockRows; ++r) rows[r] = Row(y0 + r, scratch[r]);
    TransposeRows(rows, width_ * 3, block);
    return;
  }
  // Upright rows y0 .. y0 + 15 are 16 neighbouring stored columns: every stored row holds
  // one upright column of the block, 16 pixels side by side (in reverse for cx = -1).
  const int first_sx = ax_ + cx_ * y0;
  const bool direct = image_.Format() == ifColor16M;
  for (int x = 0; x < width_; ++x) {
    const int sy = ay_ + by_ * x;
    std::uint8_t* column = block + static_cast<std::size_t>(x) * 3 * kBlockRows;
    if (direct) {
      const std::uint8_t* in = image_.Row(sy);
      // The next blocks read on along this stored row; asking for that memory now lets the
      // row-by-row walk down the photo overlap its cache misses.
      const auto ahead = reinterpret_cast<std::uintptr_t>(in) +
                         3 * static_cast<std::intptr_t>(first_sx + cx_ * 3 * kBlockRows);
      __builtin_prefetch(reinterpret_cast<const void*>(ahead));
      const std::uint8_t* p = in + 3 * static_cast<std::size_t>(first_sx);
      const int step = 3 * cx_;
      for (int r = 0; r < kBlockRows; ++r, p += step) {
        column[r] = p[0];
        column[kBlockRows + r] = p[1];
        column[2 * kBlockRows + r] = p[2];
      }
    } else {
      std::uint8_t bgr[3];
      for (int r = 0; r < kBlockRows; ++r) {
        StoredBgr(first_sx + cx_ * r, sy, bgr);
        column[r] = bgr[0];
        column[kBlockRows + r] = bgr[1];
        column[2 * kBlockRows + r] = bgr[2];
      }
    }
  }
}

}  // namespace fotoloom
