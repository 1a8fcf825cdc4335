// TIFF files through libtiff, read into the image model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

class TTiffGraphic : public TLibraryGraphic {
 public:
  // Reads the first page, replacing the content: gray files as 256 gray levels, every other
  // form libtiff's RGBA reader knows as true colour, alpha composited onto BackgroundColor and
  // deeper samples reduced to 8 bits. The pixels stay as stored; the file's Orientation tag is
  // reported as Orientation() (the values are those of EXIF). The declared size passes the
  // image bound before any strip is read. Raises ETIFFError with libtiff's first error
  // message, or "TIFF file is not valid or corrupted". onHeader as for the other readers
  // (dib_graphic.h).
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {}) override;
};

}  // namespace fotoloom
