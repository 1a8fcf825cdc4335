// Errors raised by the imaging classes. Each carries its final message. The library errors are
// siblings: a JPEG, PNG, HEIF, WebP or TIFF failure is not an EPixwellError.
#pragma once

#include <string>

#include "platform/error.h"

namespace fotoloom {

// General error of the image model: invalid formats, failed allocations, refused operations.
class EPixwellError : public Error {
 public:
  explicit EPixwellError(const std::string& message) : Error(message) {}
};

// JPEG reading and writing, including every fatal message of libjpeg, unchanged.
class EJpegError : public Error {
 public:
  explicit EJpegError(const std::string& message) : Error(message) {}
};

// PNG reading, including every error message of libpng, unchanged.
class EPNGError : public Error {
 public:
  explicit EPNGError(const std::string& message) : Error(message) {}
};

// HEIF and AVIF reading, with libheif's message.
class EHEIFError : public Error {
 public:
  explicit EHEIFError(const std::string& message) : Error(message) {}
};

// WebP reading.
class EWebPError : public Error {
 public:
  explicit EWebPError(const std::string& message) : Error(message) {}
};

// TIFF reading, with libtiff's first error message.
class ETIFFError : public Error {
 public:
  explicit ETIFFError(const std::string& message) : Error(message) {}
};

// A file the picture loader cannot turn into a graphic: unknown extension, unusable bitmap.
class EInvalidGraphic : public Error {
 public:
  explicit EInvalidGraphic(const std::string& message) : Error(message) {}
};

}  // namespace fotoloom
