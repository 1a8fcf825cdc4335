// HEIF files (HEIC, AVIF) through libheif, read into the image model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

class THeifGraphic : public TLibraryGraphic {
 public:
  // Reads the file's primary image, replacing the content, always as true colour: libheif
  // applies the file's rotation, mirror and crop, so the image is upright (Orientation() 1)
  // whatever its EXIF says. Alpha is composited onto BackgroundColor, samples of more than 8
  // bits are reduced to 8. The declared size passes the image bound before anything is
  // decoded. Raises EHEIFError with libheif's message (also for a file whose codec has no
  // decoder here). onHeader as for the other readers (dib_graphic.h).
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {}) override;
};

}  // namespace fotoloom
