#include "imaging/picture_loader.h"

#include "imaging/image_formats.h"

namespace fotoloom {

namespace {

// Text after the last dot of the name part; empty when the name has no dot.
std::string ExtensionOf(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}

}  // namespace

std::string PictureFileDescription(const std::string& extension) {
  const ImageFormat* format = FormatOfExtension(extension);
  return format ? format->name : std::string();
}

std::unique_ptr<TDibGraphic> LoadPicture(const std::string& fileName,
                                         const THeaderHandler& onHeader, TRowSink* rows) {
  const std::string extension = ExtensionOf(fileName);
  const ImageFormat* format = FormatOfExtension(extension);
  if (format == nullptr) {
    throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
  }
  return format->read(fileName, onHeader, rows);
}

}  // namespace fotoloom
