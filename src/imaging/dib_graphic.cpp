#include "imaging/dib_graphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace fotoloom {

namespace {

constexpr double kInchesPerMetre = 39.370078740157480317;

// The 16 VGA colours; the 256-colour table starts with them too.
constexpr TPaletteEntry kVga[16] = {
    {0, 0, 0},     {0, 0, 170},     {0, 170, 0},    {0, 170, 170},   {170, 0, 0},   {170, 0, 170},
    {170, 85, 0},  {170, 170, 170}, {85, 85, 85},   {85, 85, 255},   {85, 255, 85}, {85, 255, 255},
    {255, 85, 85}, {255, 85, 255},  {255, 255, 85}, {255, 255, 255},
};

// Fixed 256-colour table: VGA colours, a 16-step gray ramp, hue wheels of 24 hues in nine
// brightness/saturation steps (216 entries), then black.
TPalette Color256Palette() {
  TPalette p(kVga, kVga + 16);
  for (int i = 0; i < 16; ++i) {
    auto v = static_cast<std::uint8_t>(i * 17);
    p.push_back({v, v, v});
  }
  // Value/saturation pairs from bright and vivid to dark and pale.
  static constexpr double kSteps[9][2] = {{1.0, 1.0},  {1.0, 0.55},  {1.0, 0.28},
                                          {0.72, 1.0}, {0.72, 0.55}, {0.72, 0.28},
                                          {0.44, 1.0}, {0.44, 0.55}, {0.44, 0.28}};
  for (const auto& step : kSteps) {
    for (int h = 0; h < 24; ++h) {
      double hue = h / 4.0;  // 0..6 sectors
      int sector = static_cast<int>(hue);
      double f = hue - sector;
      double v = step[0], s = step[1];
      double pv = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
      double r = v, g = t, b = pv;
      switch (sector) {
        case 0:
          r = v;
          g = t;
          b = pv;
          break;
        case 1:
          r = q;
          g = v;
          b = pv;
          break;
        case 2:
          r = pv;
          g = v;
          b = t;
          break;
        case 3:
          r = pv;
          g = q;
          b = v;
          break;
        case 4:
          r = t;
          g = pv;
          b = v;
          break;
        default:
          r = v;
          g = pv;
          b = q;
          break;
      }
      p.push_back({static_cast<std::uint8_t>(std::lround(r * 255)),
                   static_cast<std::uint8_t>(std::lround(g * 255)),
                   static_cast<std::uint8_t>(std::lround(b * 255))});
    }
  }
  p.resize(256, TPaletteEntry{0, 0, 0});
  return p;
}

}  // namespace

int BitsPerPixel(TImageFormat format) {
  switch (format) {
    case ifBlackWhite:
      return 1;
    case ifGray16:
      return 4;
    case ifGray256:
      return 8;
    case ifColor16:
      return 4;
    case ifColor256:
      return 8;
    case ifColor16M:
      return 24;
  }
  throw EPixwellError("Internal error: Invalid image format");
}

std::string FormatDisplayName(TImageFormat format) {
  switch (format) {
    case ifBlackWhite:
      return "Black and white";
    case ifGray16:
      return "16 shades of gray";
    case ifGray256:
      return "256 shades of gray";
    case ifColor16:
      return "16 color";
    case ifColor256:
      return "256 color";
    case ifColor16M:
      return "True color";
  }
  throw EPixwellError("Internal error: Invalid image format");
}

bool HasPalette(TImageFormat format) { return format <= ifColor256; }

TPalette DefaultPalette(TImageFormat format) {
  switch (format) {
    case ifBlackWhite:
      return {{0, 0, 0}, {255, 255, 255}};
    case ifGray16: {
      TPalette p;
      for (int i = 0; i < 16; ++i) {
        auto v = static_cast<std::uint8_t>(17 * i);
        p.push_back({v, v, v});
      }
      return p;
    }
    case ifGray256: {
      TPalette p;
      for (int i = 0; i < 256; ++i) {
        auto v = static_cast<std::uint8_t>(i);
        p.push_back({v, v, v});
      }
      return p;
    }
    case ifColor16:
      return TPalette(kVga, kVga + 16);
    case ifColor256:
      return Color256Palette();
    default:
      return {};
  }
}

namespace {
// Values outside the 32-bit range only come from damaged files; they saturate.
int RoundToInt(double v) {
  v = std::nearbyint(v);
  if (!(v > -2147483648.0)) return v != v ? 0 : std::numeric_limits<int>::min();
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}
}  // namespace

int DpiToPixelsPerMeter(double dpi) { return RoundToInt(dpi * kInchesPerMetre); }

int PixelsPerMeterToDpi(double pixelsPerMeter) {
  return RoundToInt(pixelsPerMeter / kInchesPerMetre);
}

namespace {
// Rows padded to 4 bytes. REQUIRES: 0 <= width, height <= kMaxImageDimension, bits <= 32.
std::uint64_t PixelBytes(int width, int height, int bitsPerPixel) {
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  return rowBytes * static_cast<std::uint64_t>(height);
}
}  // namespace

void CheckImageBound(int width, int height, int bitsPerPixel, std::uint64_t otherBytes) {
  if (width < 1 || height < 1 || width > kMaxImageDimension || height > kMaxImageDimension) {
    throw EPixwellError("CreateDibSection failed");
  }
  const std::uint64_t pixels = PixelBytes(width, height, bitsPerPixel);
  if (pixels > kMaxImageBytes || otherBytes > kMaxImageBytes - pixels) {
    throw EPixwellError("CreateDibSection failed");
  }
}

std::uint64_t DecodeBytes(const TImageHeader& header) {
  return PixelBytes(header.width, header.height, header.bitsPerPixel) + header.otherBytes;
}

void AcceptImageHeader(const TImageHeader& header, const THeaderHandler& handler) {
  CheckImageBound(header.width, header.height, header.bitsPerPixel, header.otherBytes);
  if (handler) handler(header);
}

TPixelBuffer TPixelBuffer::Allocate(std::size_t size) {
  TPixelBuffer b;
  b.p_ =
      std::unique_ptr<std::uint8_t, TPixelRelease>(AllocateImageBlock(size), TPixelRelease{size});
  b.size_ = b.p_ ? size : 0;
  return b;
}

// ---------------------------------------------------------------------------------------

TRgbToPaletteConverter::TRgbToPaletteConverter(const TPalette& palette) : palette_(palette) {}

int TRgbToPaletteConverter::NearestIndex(TColor colour) {
  colour &= 0xFFFFFF;
  Slot& slot = slots_[colour % kSlots];
  if (slot.index >= 0 && slot.colour == colour) {
    ++hits_;
    return slot.index;
  }
  ++misses_;
  const int r = ColorRed(colour), g = ColorGreen(colour), b = ColorBlue(colour);
  int best = 0;
  int bestDistance = -1;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const int dr = palette_[i].red - r, dg = palette_[i].green - g, db = palette_[i].blue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  slot.colour = colour;
  slot.index = best;
  return best;
}

// ---------------------------------------------------------------------------------------

TDibGraphic::TDibGraphic() = default;
TDibGraphic::~TDibGraphic() = default;

void TDibGraphic::SetWidth(int) {
  throw EPixwellError("Dimensions must be change with the NewImage method");
}

void TDibGraphic::SetHeight(int) {
  throw EPixwellError("Dimensions must be change with the NewImage method");
}

int TDibGraphic::XDpi() const { return PixelsPerMeterToDpi(xPelsPerMeter_); }
int TDibGraphic::YDpi() const { return PixelsPerMeterToDpi(yPelsPerMeter_); }
void TDibGraphic::SetXDpi(int dpi) { xPelsPerMeter_ = DpiToPixelsPerMeter(dpi); }
void TDibGraphic::SetYDpi(int dpi) { yPelsPerMeter_ = DpiToPixelsPerMeter(dpi); }

void TDibGraphic::Clear() {
  converter_.reset();
  bits_ = TPixelBuffer();
  palette_.clear();
  lookup_.clear();
  width_ = height_ = rowBytes_ = 0;
  format_ = ifColor16M;
  xPelsPerMeter_ = yPelsPerMeter_ = 0;
}

void TDibGraphic::NewImage(int width, int height, TImageFormat format, const TPalette* palette,
                           int xdpi, int ydpi) {
  Create(width, height, format, palette, xdpi, ydpi, nullptr);
}

void TDibGraphic::Create(int width, int height, TImageFormat format, const TPalette* palette,
                         int xdpi, int ydpi, TPixelBuffer* adopt) {
  Clear();
  const int bits = BitsPerPixel(format);
  CheckImageBound(width, height, bits);
  const std::size_t rowBytes = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  const std::size_t size = rowBytes * static_cast<std::size_t>(height);
  TPixelBuffer buffer = (adopt != nullptr && adopt->size() >= size) ? std::move(*adopt)
                                                                    : TPixelBuffer::Allocate(size);
  // Within the bound a refused block is memory running out, not an image the program refuses.
  if (!buffer) throw std::bad_alloc();

  if (HasPalette(format)) {
    const std::size_t maxEntries = std::size_t{1} << bits;
    if (palette != nullptr && !palette->empty()) {
      palette_.assign(palette->begin(), palette->begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               palette->size(), maxEntries)));
    } else {
      palette_ = DefaultPalette(format);
    }
    lookup_.assign(maxEntries, 0);
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      lookup_[i] = MakeColor(palette_[i].red, palette_[i].green, palette_[i].blue);
    }
    converter_ = std::make_unique<TRgbToPaletteConverter>(palette_);
  }
  bits_ = std::move(buffer);
  width_ = width;
  height_ = height;
  format_ = format;
  rowBytes_ = static_cast<int>(rowBytes);
  SetXDpi(xdpi == 0 ? kScreenDpi : xdpi);
  SetYDpi(ydpi == 0 ? kScreenDpi : ydpi);
}

int TDibGraphic::GetIndex(int x, int y) const {
  const std::uint8_t* row = Row(y);
  switch (format_) {
    case ifBlackWhite:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case ifGray16:
    case ifColor16:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case ifGray256:
    case ifColor256:
      return row[x];
    default:
      throw EPixwellError("The image does not have a palette");
  }
}

void TDibGraphic::SetIndex(int x, int y, int index) {
  std::uint8_t* row = Row(y);
  switch (format_) {
    case ifBlackWhite: {
      const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
      if (index > 0) {
        row[x >> 3] |= mask;
      } else {
        row[x >> 3] &= static_cast<std::uint8_t>(~mask);
      }
      return;
    }
    case ifGray16:
    case ifColor16: {
      std::uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0x0F))
                  : static_cast<std::uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
      return;
    }
    case ifGray256:
    case ifColor256:
      row[x] = static_cast<std::uint8_t>(index);
      return;
    default:
      throw EPixwellError("The image does not have a palette");
  }
}

TColor TDibGraphic::GetColor(int x, int y) const {
  if (format_ == ifColor16M) {
    const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    return MakeColor(p[2], p[1], p[0]);
  }
  return lookup_[static_cast<std::size_t>(GetIndex(x, y))];
}

void TDibGraphic::SetColor(int x, int y, TColor colour) {
  if (format_ == ifColor16M) {
    std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
    p[0] = static_cast<std::uint8_t>(ColorBlue(colour));
    p[1] = static_cast<std::uint8_t>(ColorGreen(colour));
    p[2] = static_cast<std::uint8_t>(ColorRed(colour));
    return;
  }
  SetIndex(x, y, converter_->NearestIndex(colour));
}

void TDibGraphic::Assign(const TDibGraphic* source) {
  if (source == this) return;
  if (source == nullptr || source->width_ <= 0 || source->height_ <= 0 || source->Empty()) {
    Clear();
    return;
  }
  NewImage(source->width_, source->height_, source->format_, &source->palette_, source->XDpi(),
           source->YDpi());
  // The resolution is copied exactly, not through a dpi round trip.
  xPelsPerMeter_ = source->xPelsPerMeter_;
  yPelsPerMeter_ = source->yPelsPerMeter_;
  std::memcpy(bits_.data(), source->bits_.data(), ImageSize());
}

void TDibGraphic::TakeOver(TDibGraphic& source) {
  if (&source == this) return;
  Clear();
  width_ = source.width_;
  height_ = source.height_;
  format_ = source.format_;
  rowBytes_ = source.rowBytes_;
  bits_ = std::move(source.bits_);
  palette_ = std::move(source.palette_);
  lookup_ = std::move(source.lookup_);
  xPelsPerMeter_ = source.xPelsPerMeter_;
  yPelsPerMeter_ = source.yPelsPerMeter_;
  if (HasPalette(format_) && bits_) converter_ = std::make_unique<TRgbToPaletteConverter>(palette_);
  source.Clear();
}

void TDibGraphic::Assign(const TBitmap& bitmap) { AssignBitmap(bitmap, nullptr); }

void TDibGraphic::Assign(TBitmap&& bitmap) { AssignBitmap(bitmap, &bitmap.bits); }

void TDibGraphic::AssignBitmap(const TBitmap& bitmap, TPixelBuffer* adopt) {
  if (bitmap.compression != 0) throw EPixwellError("Unsupported compression");
  TImageFormat format;
  switch (bitmap.bitsPerPixel) {
    case 1:
      format = ifBlackWhite;
      break;
    case 4:
      format = ifColor16;
      break;
    case 8:
      format = ifColor256;
      break;
    case 24:
      format = ifColor16M;
      break;
    default:
      throw EPixwellError("Unsupported bit count");
  }
  const TPalette* palette = nullptr;
  TPalette used;
  if (bitmap.usedColors >= 1 && bitmap.usedColors <= 256 && format != ifColor16M) {
    used.assign(bitmap.colorTable.begin(),
                bitmap.colorTable.begin() +
                    std::min<std::ptrdiff_t>(
                        bitmap.usedColors, static_cast<std::ptrdiff_t>(bitmap.colorTable.size())));
    palette = &used;
  }
  auto dpi = [](std::int32_t ppm) {
    if (ppm <= 0) return 0;
    const int d = PixelsPerMeterToDpi(ppm);
    return d > 65535 ? 0 : d;
  };
  const int xdpi = dpi(bitmap.xPelsPerMeter);
  const int ydpi = dpi(bitmap.yPelsPerMeter);

  const std::size_t stride =
      ((static_cast<std::size_t>(bitmap.width > 0 ? bitmap.width : 0) * bitmap.bitsPerPixel + 31) /
       32) *
      4;
  const std::size_t need = stride * static_cast<std::size_t>(bitmap.height > 0 ? bitmap.height : 0);
  if (bitmap.bits.size() < need) throw EInvalidGraphic("Invalid bitmap");

  // The bitmap's rows already have the image's layout: when it is handed over they are
  // taken as they are instead of copied.
  const std::uint8_t* rows = bitmap.bits.data();
  Create(bitmap.width, bitmap.height, format, palette, xdpi, ydpi, adopt);
  if (bits_.data() != rows) std::memcpy(bits_.data(), rows, ImageSize());
}

}  // namespace fotoloom
