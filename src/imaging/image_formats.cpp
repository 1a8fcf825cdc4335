#include "imaging/image_formats.h"

#include <cctype>
#include <string_view>

#include "imaging/bmp_reader.h"
#include "imaging/heif_graphic.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/png_graphic.h"
#include "imaging/tiff_graphic.h"
#include "imaging/webp_graphic.h"

namespace fotoloom {
namespace {

std::unique_ptr<TDibGraphic> ReadBitmapFile(const std::string& path, const THeaderHandler& onHeader,
                                            TRowSink*) {
  auto image = std::make_unique<TDibGraphic>();
  LoadBitmapFile(path, *image, onHeader);
  return image;
}

template <class Graphic>
std::unique_ptr<TDibGraphic> ReadGraphicFile(const std::string& path,
                                             const THeaderHandler& onHeader, TRowSink* rows) {
  auto image = std::make_unique<Graphic>();
  if constexpr (requires { image->LoadFromFile(path, onHeader, rows); }) {
    image->LoadFromFile(path, onHeader, rows);
  } else {
    image->LoadFromFile(path, onHeader);
  }
  return image;
}

constexpr ImageFormat kFormats[] = {
    // name, masks, reader, carries orientation, browser shows it, picker name, extended
    {"Bitmaps", "*.bmp", ReadBitmapFile, false, true, nullptr},
    {"JPEG", "*.jpg|*.jpeg", ReadGraphicFile<TJpegGraphic>, true, true, nullptr},
    {"Portable Network Graphic", "*.png", ReadGraphicFile<TPngGraphic>, false, true,
     nullptr},
    // libheif applies a HEIF file's own rotation and mirror: its EXIF orientation would turn
    // it a second time.
    {"HEIF", "*.heic|*.heif", ReadGraphicFile<THeifGraphic>, false, false, nullptr, true},
    {"AVIF", "*.avif", ReadGraphicFile<THeifGraphic>, false, true, nullptr, true},
    {"WebP", "*.webp", ReadGraphicFile<TWebPGraphic>, false, true, nullptr, true},
    {"TIFF", "*.tif|*.tiff", ReadGraphicFile<TTiffGraphic>, true, false, nullptr, true},
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::span<const ImageFormat> ImageFormats() { return kFormats; }

std::vector<std::string> MasksOf(const ImageFormat& format) {
  std::vector<std::string> masks;
  std::string_view rest = format.masks;
  while (!rest.empty()) {
    const std::size_t bar = rest.find('|');
    masks.emplace_back(rest.substr(0, bar));
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  }
  return masks;
}

const ImageFormat* FormatOfExtension(const std::string& extension) {
  for (const ImageFormat& format : kFormats) {
    for (const std::string& mask : MasksOf(format)) {
      if (EqualsNoCase(std::string_view(mask).substr(2), extension)) return &format;
    }
  }
  return nullptr;
}

std::string ListingMasks(bool extended) {
  std::string masks;
  for (const ImageFormat& format : kFormats) {
    if (format.extended && !extended) continue;
    if (!masks.empty()) masks += '|';
    masks += format.masks;
  }
  return masks;
}

bool BrowserShowsFile(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const ImageFormat* format = FormatOfExtension(path.substr(dot + 1));
  return format != nullptr && format->browser_shows;
}

std::vector<std::string> ImageExtensions() {
  std::vector<std::string> extensions;
  for (const ImageFormat& format : kFormats) {
    for (const std::string& mask : MasksOf(format)) extensions.push_back(mask.substr(1));
  }
  return extensions;
}

}  // namespace fotoloom
