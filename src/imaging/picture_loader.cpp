#include "imaging/picture_loader.h"

#include <cctype>

#include "imaging/bmp_reader.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/png_graphic.h"

namespace fotoloom {

namespace {

enum class Reader { kBitmap, kJpeg, kPng };

struct Registration {
  const char* extension;  // upper case, without the dot
  Reader reader;
  const char* description;
};

constexpr Registration kRegistry[] = {
    {"BMP", Reader::kBitmap, "Bitmaps"},
    {"JPG", Reader::kJpeg, "JPEG"},
    {"JPEG", Reader::kJpeg, "JPEG"},
    {"PNG", Reader::kPng, "Portable Network Graphic"},
};

const Registration* Find(const std::string& extension) {
  std::string upper = extension;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Registration& r : kRegistry) {
    if (upper == r.extension) return &r;
  }
  return nullptr;
}

// Text after the last dot of the name part; empty when the name has no dot.
std::string ExtensionOf(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}

}  // namespace

std::string PictureFileDescription(const std::string& extension) {
  const Registration* r = Find(extension);
  return r ? r->description : std::string();
}

std::unique_ptr<TDibGraphic> LoadPicture(const std::string& fileName,
                                         const THeaderHandler& onHeader) {
  const std::string extension = ExtensionOf(fileName);
  const Registration* r = Find(extension);
  if (r == nullptr) throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
  switch (r->reader) {
    case Reader::kJpeg: {
      auto jpeg = std::make_unique<TJpegGraphic>();
      jpeg->LoadFromFile(fileName, onHeader);
      return jpeg;
    }
    case Reader::kPng: {
      auto png = std::make_unique<TPngGraphic>();
      png->LoadFromFile(fileName, onHeader);
      return png;
    }
    case Reader::kBitmap:
      break;
  }
  auto image = std::make_unique<TDibGraphic>();
  LoadBitmapFile(fileName, *image, onHeader);
  return image;
}

}  // namespace fotoloom
