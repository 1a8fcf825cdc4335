#include "imaging/png_graphic.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/reader_warnings.h"

namespace fotoloom {

namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;

// Ancillary chunks that play no part in the pixels, each name followed by a NUL.
constexpr png_byte kIgnoredChunks[] =
    "cHRM\0eXIf\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0sCAL\0sPLT\0sTER\0tEXt\0tIME\0zTXt\0sBIT";

struct ReadContext {
  std::istream* stream = nullptr;
  char message[256] = {};
  std::exception_ptr pending;  // raised by the warning handler; reraised after the jump
};

void ErrorFn(png_structp png, png_const_charp message) {
  auto* ctx = static_cast<ReadContext*>(png_get_error_ptr(png));
  std::snprintf(ctx->message, sizeof ctx->message, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void WarningFn(png_structp png, png_const_charp message) {
  auto* ctx = static_cast<ReadContext*>(png_get_error_ptr(png));
  bool failed = false;
  try {
    ReaderWarns(message ? message : "");
  } catch (...) {
    ctx->pending = std::current_exception();
    failed = true;
  }
  // A handler that throws ends the read; its exception is what the caller sees.
  if (failed) png_error(png, "Warning handler failed");
}

void ReadFn(png_structp png, png_bytep data, png_size_t length) {
  auto* ctx = static_cast<ReadContext*>(png_get_io_ptr(png));
  if (ReadSome(*ctx->stream, data, length) != length) png_error(png, "Read Error");
}

struct ReadGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

TImageFormat ChooseFormat(int depth, int colorType) {
  const bool gray = colorType == PNG_COLOR_TYPE_GRAY;
  const bool palette = colorType == PNG_COLOR_TYPE_PALETTE;
  switch (depth) {
    case 1:
      if (gray || palette) return ifBlackWhite;
      break;
    case 2:
    case 4:
      if (gray) return ifGray16;
      if (palette) return ifColor16;
      break;
    case 8:
    case 16:
      if (gray || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) return ifGray256;
      if (palette) return ifColor256;
      if (colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        return ifColor16M;
      }
      break;
    default:
      throw EPNGError("Invalid bit depth");
  }
  throw EPNGError("Invalid color type for bit depth");
}

int MetresToDpi(png_uint_32 perMetre) {
  const double dpi = std::nearbyint(perMetre * 0.0254);
  return dpi > 2147483647.0 ? 2147483647 : static_cast<int>(dpi);
}

}  // namespace

void TPngGraphic::LoadFromStream(std::istream& stream, const THeaderHandler& onHeader,
                                 TRowSink* rowSink) {
  Clear();
  png_byte signature[8];
  if (ReadSome(stream, signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    throw EPNGError("PNG file is not valid or corrupted");
  }
  ReadContext ctx;
  ctx.stream = &stream;
  ReadGuard guard;
  guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, ErrorFn, WarningFn);
  if (guard.png == nullptr) throw EPNGError("png_create_read_struct failed");
  guard.info = png_create_info_struct(guard.png);
  if (guard.info == nullptr) throw EPNGError("png_create_info_struct failed");
  png_structp png = guard.png;
  png_infop info = guard.info;
  // Everything with a destructor lives outside the jump's reach: a longjmp back to setjmp
  // skips the destructors of objects made after it.
  TPalette palette;
  const TPalette grayLevels = rowSink != nullptr ? DefaultPalette(ifGray256) : TPalette{};

  if (setjmp(png_jmpbuf(png))) {
    if (ctx.pending) std::rethrow_exception(ctx.pending);
    // png_malloc's words for memory running out, which is no fault of the file.
    if (std::strcmp(ctx.message, "Out of memory") == 0) throw std::bad_alloc();
    throw EPNGError(ctx.message);
  }
#ifdef PNG_SKIP_sRGB_CHECK_PROFILE
  // The profile check only warns about files that decode correctly anyway.
  png_set_option(png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
#endif
  // A chunk may claim up to 2 GiB. Chunks the image does not use are skipped unread, and no
  // chunk that is read needs more than a few megabytes.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                              static_cast<int>(sizeof kIgnoredChunks / 5));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_read_fn(png, &ctx, ReadFn);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  const TImageFormat format = ChooseFormat(depth, colorType);
  if (depth == 16) png_set_strip_16(png);
  if (format == ifColor16M) png_set_bgr(png);

  // An sRGB file gets no gamma correction. Its rendering intent is already in effect: handing
  // it back to libpng 1.6 would only raise a "duplicate sRGB information" warning.
  if (!png_get_valid(png, info, PNG_INFO_sRGB) && depth > 2) {
    double gamma = 0;
    FileGamma = (png_get_gAMA(png, info, &gamma) && gamma != 0) ? gamma : 0.5;
    png_set_gamma(png, 2.2, FileGamma);
  }

  png_color_16p fileBackground = nullptr;
  if (png_get_bKGD(png, info, &fileBackground) && !IgnoreFileBackground) {
    png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
  } else {
    // Without expansion libpng takes the background in the output's terms: 8-bit samples
    // (also for files reduced from 16 bits), and for gray a level of the stored depth.
    png_color_16 background{};
    const int r = ColorRed(BackgroundColor), g = ColorGreen(BackgroundColor),
              b = ColorBlue(BackgroundColor);
    background.red = static_cast<png_uint_16>(r);
    background.green = static_cast<png_uint_16>(g);
    background.blue = static_cast<png_uint_16>(b);
    const int luma = (r * 299 + g * 587 + b * 114 + 500) / 1000;
    const int maxLevel = depth >= 8 ? 255 : (1 << depth) - 1;
    background.gray = static_cast<png_uint_16>((luma * maxLevel + 127) / 255);
    png_set_background(png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
  }

  png_uint_32 xres = 0, yres = 0;
  int unit = 0;
  int xdpi = 0, ydpi = 0;
  if (png_get_pHYs(png, info, &xres, &yres, &unit) && unit == PNG_RESOLUTION_METER) {
    xdpi = MetresToDpi(xres);
    ydpi = MetresToDpi(yres);
  }

  int passes = 1;
  if (interlace == PNG_INTERLACE_ADAM7) {
    passes = png_set_interlace_handling(png);
  } else if (interlace != PNG_INTERLACE_NONE) {
    throw EPNGError("Interlace type not valid");
  }
  png_read_update_info(png, info);

  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &entries, &count)) throw EPNGError("png_get_PLTE failed");
    for (int i = 0; i < count && i < 256; ++i) {
      palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    }
  }
  const bool inOrder =
      passes == 1 && (format == ifGray256 || format == ifColor256 || format == ifColor16M);
  AcceptImageHeader(
      {static_cast<int>(width), static_cast<int>(height), BitsPerPixel(format), 0, 1, inOrder},
      onHeader);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if (rowSink != nullptr && inOrder) {
    const TPalette* colours = format == ifColor256  ? &palette
                              : format == ifGray256 ? &grayLevels
                                                    : nullptr;
    if (rowSink->Start(
            {static_cast<int>(width), static_cast<int>(height), format, colours, xdpi, ydpi, 1})) {
      if (rowBytes != static_cast<std::size_t>(width) * (format == ifColor16M ? 3 : 1)) {
        throw EPNGError("Invalid row size");
      }
      for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, rowSink->NextRow(), nullptr);
        rowSink->RowDone();
      }
      return;
    }
  }
  NewImage(static_cast<int>(width), static_cast<int>(height), format,
           palette.empty() ? nullptr : &palette, xdpi, ydpi);

  if (rowBytes > static_cast<std::size_t>(RowBytes())) throw EPNGError("Invalid row size");
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < static_cast<int>(height); ++y) png_read_row(png, Row(y), nullptr);
  }
  if (depth == 2) {
    // Two bits per pixel has no place in the image model: each row holds its packed pixels
    // at its start and is widened to four bits in place, from the right, where no pixel
    // still to be read is overwritten; the image needs no second buffer.
    const bool gray = colorType == PNG_COLOR_TYPE_GRAY;
    for (int y = 0; y < static_cast<int>(height); ++y) {
      std::uint8_t* row = Row(y);
      for (int x = static_cast<int>(width) - 1; x >= 0; --x) {
        const int v = (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        SetIndex(x, y, gray ? 5 * v : v);
      }
      if (width == 1) row[0] &= 0xF0;  // the packed padding there is no pixel
    }
  }
}

void TPngGraphic::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                 const THeaderHandler& onHeader, TRowSink* rows) {
  MemoryStreamBuf buffer(data, size);
  std::istream stream(&buffer);
  LoadFromStream(stream, onHeader, rows);
}

void TPngGraphic::LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader,
                               TRowSink* rows) {
  ReadFromFile(fileName, [&](std::istream& stream) { LoadFromStream(stream, onHeader, rows); });
}

}  // namespace fotoloom
