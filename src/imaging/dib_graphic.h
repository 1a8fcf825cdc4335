// The in-memory image: a device-independent bitmap with one of six pixel formats.
//
// Rows are stored bottom-up and padded to a multiple of 4 bytes; Row(y) hides that, so y = 0
// is always the top row. True-colour pixels are stored blue, green, red. 1-bit pixels keep the
// leftmost pixel in the most significant bit, 4-bit pixels the even pixel in the high nibble.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer_reuse.h"
#include "imaging/image_errors.h"

namespace fotoloom {

// One byte; values outside 0..5 are invalid and raise where a bit depth is needed.
enum TImageFormat : std::uint8_t {
  ifBlackWhite = 0,  // 1 bit, 2 palette entries
  ifGray16 = 1,      // 4 bits, 16 gray levels
  ifGray256 = 2,     // 8 bits, 256 gray levels
  ifColor16 = 3,     // 4 bits, up to 16 colours
  ifColor256 = 4,    // 8 bits, up to 256 colours
  ifColor16M = 5,    // 24 bits, no palette
};

// Bits per pixel of a format. Raises EPixwellError "Internal error: Invalid image format".
int BitsPerPixel(TImageFormat format);
// "Black and white", "16 shades of gray", ... "True color"; raises like BitsPerPixel.
std::string FormatDisplayName(TImageFormat format);
bool HasPalette(TImageFormat format);  // false for ifColor16M and for invalid values

// Packed colour 0x00RRGGBB: equals a stored blue, green, red triple read little-endian.
using TColor = std::uint32_t;
constexpr TColor MakeColor(int red, int green, int blue) {
  return (static_cast<TColor>(red & 255) << 16) | (static_cast<TColor>(green & 255) << 8) |
         static_cast<TColor>(blue & 255);
}
constexpr int ColorRed(TColor c) { return static_cast<int>((c >> 16) & 255); }
constexpr int ColorGreen(TColor c) { return static_cast<int>((c >> 8) & 255); }
constexpr int ColorBlue(TColor c) { return static_cast<int>(c & 255); }

struct TPaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
using TPalette = std::vector<TPaletteEntry>;  // 1 to 256 entries when present

// The palette a format gets when none is given: black/white, 16 and 256 gray levels, the 16
// VGA colours, and a fixed 256-colour table that starts with them. Empty for ifColor16M.
TPalette DefaultPalette(TImageFormat format);

// Resolution used for images that carry none: the screen's logical dots per inch.
constexpr int kScreenDpi = 96;
// dpi <-> pixels per metre, rounded to nearest with halves to even.
int DpiToPixelsPerMeter(double dpi);
int PixelsPerMeterToDpi(double pixelsPerMeter);

// Largest accepted width or height, and largest pixel buffer. Bigger images are refused
// rather than allowed to exhaust memory.
constexpr int kMaxImageDimension = 65535;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr std::size_t kMaxImageBytes = std::size_t{64} << 20;  // fuzzers run in 2 GB
#else
constexpr std::size_t kMaxImageBytes = std::size_t{1} << 30;
#endif

// Raises EPixwellError "CreateDibSection failed" unless a width x height image of
// bitsPerPixel fits the bounds above, its pixel buffer counted together with otherBytes: the
// other whole-image buffers its decoder holds at the same time (a progressive JPEG's
// coefficients). Readers call it before they read any pixel data.
void CheckImageBound(int width, int height, int bitsPerPixel, std::uint64_t otherBytes = 0);

// What a reader knows of an image once its headers are read, before any pixel data: the image
// as it will be delivered, and the other whole-image buffers its decoder holds meanwhile.
struct TImageHeader {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::uint64_t otherBytes = 0;  // a progressive JPEG's coefficients
  int orientation = 1;           // a JPEG's EXIF orientation, 1..8; 1 for other formats
  bool rowsInOrder = false;      // the reader can hand the rows to a TRowSink (row_sink.h)
                                 // as it decodes them
};

// The pixel buffer of header's image and its other buffers: the figure CheckImageBound bounds.
std::uint64_t DecodeBytes(const TImageHeader& header);

// Called by a reader once the headers have passed CheckImageBound, before it reads any pixel
// data or makes any whole-image buffer. It may wait (a memory budget), or raise to end the read
// with its exception.
using THeaderHandler = std::function<void(const TImageHeader&)>;

// CheckImageBound of header, then handler (when there is one): what every reader does between
// its headers and its pixel data.
void AcceptImageHeader(const TImageHeader& header, const THeaderHandler& handler);

// Nearest palette colour with a small direct-mapped cache. Holds a reference to the palette,
// which must outlive it. Ties between equally near entries go to the lowest index.
class TRgbToPaletteConverter {
 public:
  static constexpr int kSlots = 1020;

  explicit TRgbToPaletteConverter(const TPalette& palette);

  // Index of the nearest palette entry (squared RGB distance); an empty palette gives 0.
  int NearestIndex(TColor colour);

  std::uint64_t Hits() const { return hits_; }
  std::uint64_t Misses() const { return misses_; }

 private:
  struct Slot {
    TColor colour = 0;
    int index = -1;  // -1: empty
  };
  const TPalette& palette_;
  std::array<Slot, kSlots> slots_;
  std::uint64_t hits_ = 0;
  std::uint64_t misses_ = 0;
};

// Gives a TPixelBuffer's block back, knowing its size.
struct TPixelRelease {
  std::size_t size = 0;
  void operator()(std::uint8_t* p) const { ReleaseImageBlock(p, size); }
};

// A zero-filled block of pixel memory, owned (AllocateImageBlock).
class TPixelBuffer {
 public:
  TPixelBuffer() = default;
  // Empty (data() == nullptr) when the memory cannot be had.
  static TPixelBuffer Allocate(std::size_t size);
  std::uint8_t* data() { return p_.get(); }
  const std::uint8_t* data() const { return p_.get(); }
  std::size_t size() const { return size_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  std::unique_ptr<std::uint8_t, TPixelRelease> p_;
  std::size_t size_ = 0;
};

// A Windows bitmap as the bitmap reader delivers it: header values, colour table and pixels
// in the stored layout (bottom-up, rows padded to 4 bytes). Assign turns it into an image.
struct TBitmap {
  int width = 0;
  int height = 0;                 // positive: rows are bottom-up
  int bitsPerPixel = 0;           // bits per plane x planes
  std::uint32_t compression = 0;  // 0: none
  int usedColors = 0;             // entries of colorTable that count
  TPalette colorTable;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  TPixelBuffer bits;  // height x stride bytes, stride = ((width x bits + 31) / 32) x 4
};

class TDibGraphic {
 public:
  TDibGraphic();
  virtual ~TDibGraphic();
  TDibGraphic(const TDibGraphic&) = delete;
  TDibGraphic& operator=(const TDibGraphic&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return !bits_; }
  TImageFormat Format() const { return format_; }
  int RowBytes() const { return rowBytes_; }
  // Height x RowBytes: the size of the pixel buffer.
  std::size_t ImageSize() const { return static_cast<std::size_t>(height_) * rowBytes_; }

  // Always refused with EPixwellError "Dimensions must be change with the NewImage method".
  void SetWidth(int width);
  void SetHeight(int height);

  // Palette of a palette format (empty for ifColor16M and for an empty image).
  const TPalette& Palette() const { return palette_; }

  // Resolution, stored as pixels per metre, read and written in dots per inch.
  int XDpi() const;
  int YDpi() const;
  void SetXDpi(int dpi);
  void SetYDpi(int dpi);
  std::int32_t XPixelsPerMeter() const { return xPelsPerMeter_; }
  std::int32_t YPixelsPerMeter() const { return yPelsPerMeter_; }
  void SetPixelsPerMeter(std::int32_t x, std::int32_t y) {
    xPelsPerMeter_ = x;
    yPelsPerMeter_ = y;
  }

  // Discards the current content and creates an undefined (zero-filled) pixel buffer.
  // palette: nullptr or empty gives the format's default palette; entries beyond the format's
  // 2^bits are dropped; ignored for ifColor16M. xdpi or ydpi of 0 takes kScreenDpi.
  // Raises EPixwellError "CreateDibSection failed" (image left empty) for a width or height
  // below 1 or above kMaxImageDimension, a buffer above kMaxImageBytes, or no memory; raises
  // "Internal error: Invalid image format" for an invalid format.
  void NewImage(int width, int height, TImageFormat format, const TPalette* palette, int xdpi,
                int ydpi);
  // Releases pixels and palette; the image becomes empty.
  void Clear();

  // Start of image row y (0 = top). REQUIRES: 0 <= y < Height().
  std::uint8_t* Row(int y) {
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * rowBytes_;
  }
  const std::uint8_t* Row(int y) const {
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * rowBytes_;
  }
  // The whole buffer, bottom row first.
  std::uint8_t* Bits() { return bits_.data(); }
  const std::uint8_t* Bits() const { return bits_.data(); }

  // Pixel access. REQUIRES: 0 <= x < Width(), 0 <= y < Height().
  // GetIndex/SetIndex raise EPixwellError "The image does not have a palette" on ifColor16M.
  // SetIndex keeps 1 bit (any index above 0 is 1), the low 4 or the low 8 bits.
  int GetIndex(int x, int y) const;
  void SetIndex(int x, int y, int index);
  // Palette images: the palette entry of the pixel's index (black for an index past the
  // palette's end). SetColor stores the nearest palette index.
  TColor GetColor(int x, int y) const;
  void SetColor(int x, int y, TColor colour);

  // How the stored pixels must be turned to stand upright, as an EXIF orientation 1..8 (1: as
  // stored). The reader of a format that can carry one sets it from the file (image_formats.h);
  // every other image reports 1. Copying or taking over pixels leaves it unchanged.
  int Orientation() const { return orientation_; }

  // Nearest-colour converter over this image's palette; nullptr for true colour or empty.
  TRgbToPaletteConverter* Converter() { return converter_.get(); }

  // Copies another image (nullptr or an empty source empties this one).
  void Assign(const TDibGraphic* source);
  // Takes over another image's content without copying pixels; the source becomes empty.
  void TakeOver(TDibGraphic& source);
  // Fills the image from a decoded Windows bitmap. Raises EPixwellError "Unsupported
  // compression", "Unsupported bit count" or "CreateDibSection failed". Moving a bitmap in
  // adopts its pixel rows without a copy where the layouts agree.
  void Assign(const TBitmap& bitmap);
  void Assign(TBitmap&& bitmap);

 protected:
  void SetOrientation(int orientation) { orientation_ = orientation; }

 private:
  void AssignBitmap(const TBitmap& bitmap, TPixelBuffer* adopt);
  // NewImage, taking over adopt's memory instead of allocating when it is big enough.
  void Create(int width, int height, TImageFormat format, const TPalette* palette, int xdpi,
              int ydpi, TPixelBuffer* adopt);

  int width_ = 0;
  int height_ = 0;
  TImageFormat format_ = ifColor16M;
  int rowBytes_ = 0;
  TPixelBuffer bits_;
  TPalette palette_;
  // Palette padded with black to 2^bits entries, so any stored index has a colour.
  std::vector<TColor> lookup_;
  std::unique_ptr<TRgbToPaletteConverter> converter_;
  std::int32_t xPelsPerMeter_ = 0;
  std::int32_t yPelsPerMeter_ = 0;
  int orientation_ = 1;
};

}  // namespace fotoloom
