#include "imaging/format_transform.h"

#include <cstring>

namespace fotoloom {

void TImageFormatTransform::Apply(TDibGraphic& image) {
  if (image.Format() == Format) return;
  TImageTransform::Apply(image);
}

void TImageFormatTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination) {
  if (Format != ifColor16M) {
    BitsPerPixel(Format);  // an invalid target is an internal error, not a missing feature
    throw EPixwellError("Conversion to palette formats is not supported");
  }
  if (source.Empty()) {
    destination.Clear();
    return;
  }
  const int w = source.Width(), h = source.Height();
  destination.NewImage(w, h, ifColor16M, nullptr, source.XDpi(), source.YDpi());
  ResetProgress();
  if (source.Format() == ifColor16M) {
    std::memcpy(destination.Bits(), source.Bits(), destination.ImageSize());
    Progress(100);
    return;
  }
  // One colour table lookup per pixel; the table covers every storable index.
  std::uint8_t table[256][3] = {};
  const TPalette& palette = source.Palette();
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
    table[i][0] = palette[i].blue;
    table[i][1] = palette[i].green;
    table[i][2] = palette[i].red;
  }
  const int bits = BitsPerPixel(source.Format());
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = source.Row(y);
    std::uint8_t* out = destination.Row(y);
    for (int x = 0; x < w; ++x, out += 3) {
      int index;
      if (bits == 8) {
        index = in[x];
      } else if (bits == 4) {
        index = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
      } else {
        index = (in[x >> 3] >> (7 - (x & 7))) & 1;
      }
      std::memcpy(out, table[index], 3);
    }
    Progress(static_cast<int>((static_cast<long long>(y + 1) * 100) / h));
  }
}

}  // namespace fotoloom
