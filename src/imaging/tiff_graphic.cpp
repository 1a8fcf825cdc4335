#include "imaging/tiff_graphic.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

namespace {

// The file in memory as libtiff's client procedures see it; they never throw.
struct MemoryFile {
  const std::uint8_t* data;
  std::size_t size;
  toff_t at = 0;
  char message[256] = {};
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (size <= 0 || file->at >= file->size) return 0;
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(size), file->size - file->at);
  std::memcpy(buffer, file->data + file->at, n);
  file->at += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  const toff_t base = whence == SEEK_CUR ? file->at : whence == SEEK_END ? file->size : 0;
  if (offset > ~toff_t{0} - base) return static_cast<toff_t>(-1);
  file->at = base + offset;
  return file->at;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }
int MapProc(thandle_t handle, void** base, toff_t* size) {
  auto* file = static_cast<MemoryFile*>(handle);
  *base = const_cast<std::uint8_t*>(file->data);
  *size = file->size;
  return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int KeepFirstError(TIFF*, void* user, const char*, const char* format, va_list args) {
  auto* file = static_cast<MemoryFile*>(user);
  if (file->message[0] == '\0') std::vsnprintf(file->message, sizeof file->message, format, args);
  return 1;
}
// libtiff warns about every tag it does not know, which says nothing about the pixels.
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsFree {
  void operator()(TIFFOpenOptions* p) const { TIFFOpenOptionsFree(p); }
};
struct TiffClose {
  void operator()(TIFF* p) const { TIFFClose(p); }
};
struct RgbaEnd {
  TIFFRGBAImage* image = nullptr;
  ~RgbaEnd() {
    if (image) TIFFRGBAImageEnd(image);
  }
};

[[noreturn]] void Fail(const MemoryFile& file) {
  throw ETIFFError(file.message[0] ? file.message : "TIFF file is not valid or corrupted");
}

}  // namespace

void TTiffGraphic::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                  const THeaderHandler& onHeader) {
  Clear();
  SetOrientation(1);
  MemoryFile file{data, size};
  std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) throw std::bad_alloc();
  // No single allocation of libtiff's own (a strip, a tag's array) may pass the image bound.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxImageBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepFirstError, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, &file);
  std::unique_ptr<TIFF, TiffClose> tiff(TIFFClientOpenExt("TIFF", "r", &file, ReadProc, WriteProc,
                                                          SeekProc, CloseProc, SizeProc, MapProc,
                                                          UnmapProc, options.get()));
  if (!tiff) Fail(file);

  char why[1024] = {};
  if (!TIFFRGBAImageOK(tiff.get(), why)) {
    throw ETIFFError(why[0] ? why : "TIFF file is not valid or corrupted");
  }
  TIFFRGBAImage rgba{};
  if (!TIFFRGBAImageBegin(&rgba, tiff.get(), 1, why)) {
    throw ETIFFError(why[0] ? why : "TIFF file is not valid or corrupted");
  }
  RgbaEnd end{&rgba};
  const std::uint32_t w = rgba.width, h = rgba.height;
  // A side past the model's limit fails the bound below as a negative one.
  const int width = w > std::uint32_t{kMaxImageDimension} ? -1 : static_cast<int>(w);
  const int height = h > std::uint32_t{kMaxImageDimension} ? -1 : static_cast<int>(h);
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
  if (orientation < 1 || orientation > 8) orientation = ORIENTATION_TOPLEFT;
  const bool gray =
      (rgba.photometric == PHOTOMETRIC_MINISBLACK || rgba.photometric == PHOTOMETRIC_MINISWHITE) &&
      rgba.samplesperpixel - (rgba.alpha != 0 ? 1 : 0) == 1;
  // libtiff decodes into a raster of four bytes a pixel beside the image.
  const std::uint64_t raster = std::uint64_t(w) * h * 4;
  AcceptImageHeader({width, height, gray ? 8 : 24, size + raster, orientation}, onHeader);

  TPixelBuffer pixels = TPixelBuffer::Allocate(static_cast<std::size_t>(raster));
  if (!pixels) throw std::bad_alloc();
  // Rows come top row first and as stored: the orientation is the resampler's to apply.
  rgba.req_orientation = ORIENTATION_TOPLEFT;
  rgba.orientation = ORIENTATION_TOPLEFT;
  if (!TIFFRGBAImageGet(&rgba, reinterpret_cast<std::uint32_t*>(pixels.data()), w, h)) Fail(file);
  NewImage(width, height, gray ? ifGray256 : ifColor16M, nullptr, 0, 0);
  // The raster's words are red in the low byte to alpha in the high one; with alpha,
  // libtiff has premultiplied what was stored straight.
  for (int y = 0; y < height; ++y) {
    StoreRow(*this, y, pixels.data() + static_cast<std::size_t>(y) * w * 4, {4, true},
             BackgroundColor);
  }
  SetOrientation(orientation);
}

}  // namespace fotoloom
