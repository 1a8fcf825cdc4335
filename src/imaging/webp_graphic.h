// WebP files through libwebp, read into the image model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

class TWebPGraphic : public TLibraryGraphic {
 public:
  // Reads the image, or an animation's first frame on its canvas, replacing the content, as
  // true colour with alpha composited onto BackgroundColor. The declared size passes the
  // image bound before anything is decoded. Raises EWebPError "WebP file is not valid or
  // corrupted" (also for a truncated file). onHeader as for the other readers (dib_graphic.h).
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {}) override;
};

}  // namespace fotoloom
