#include "imaging/image_formats.h"

#include <cctype>
#include <string_view>

#include "imaging/bmp_reader.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/png_graphic.h"

namespace fotoloom {
namespace {

std::unique_ptr<TDibGraphic> ReadBitmapFile(const std::string& path,
                                            const THeaderHandler& onHeader) {
  auto image = std::make_unique<TDibGraphic>();
  LoadBitmapFile(path, *image, onHeader);
  return image;
}

template <class Graphic>
std::unique_ptr<TDibGraphic> ReadGraphicFile(const std::string& path,
                                             const THeaderHandler& onHeader) {
  auto image = std::make_unique<Graphic>();
  image->LoadFromFile(path, onHeader);
  return image;
}

constexpr ImageFormat kFormats[] = {
    // name, masks, reader, carries orientation, browser shows it, picker name
    {"Bitmaps", "*.bmp", ReadBitmapFile, false, true, nullptr},
    {"JPEG", "*.jpg|*.jpeg", ReadGraphicFile<TJpegGraphic>, true, true, nullptr},
    {"Portable Network Graphic", "*.png", ReadGraphicFile<TPngGraphic>, false, true, nullptr},
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

std::string ListingMasks() {
  std::string masks;
  for (const ImageFormat& format : kFormats) {
    if (!masks.empty()) masks += '|';
    masks += format.masks;
  }
  return masks;
}

std::vector<std::string> ImageExtensions() {
  std::vector<std::string> extensions;
  for (const ImageFormat& format : kFormats) {
    for (const std::string& mask : MasksOf(format)) extensions.push_back(mask.substr(1));
  }
  return extensions;
}

}  // namespace fotoloom
