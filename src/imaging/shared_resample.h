// Resampling one source into several sizes while reading it once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/dib_graphic.h"
#include "imaging/resample_passes.h"
#include "imaging/resize_filters.h"

namespace fotoloom {

// The horizontal pass reads every source row and transposes it into blocks for the vector
// loops; for a photo that reading costs about as much as one size's arithmetic. This runs
// the horizontal passes of every size over one reading of the source, keeps their work
// images, and makes each destination from its work image afterwards, when the source may be
// gone. TResizeTransform's resampling is this with a single size.
class TSharedResample {
 public:
  // The source is read as if turned upright by its EXIF orientation (2..8; any other value reads
  // it as stored). Destinations get format, or the source's format when there is none, with the
  // source's palette when the formats agree.
  // REQUIRES: source not empty; it outlives every AddSize and RunRows call.
  TSharedResample(const TDibGraphic& source, int orientation, TResizeFilter filter,
                  std::optional<TImageFormat> format = std::nullopt);
  ~TSharedResample();

  // Plans one more destination size and makes its work image; returns its number for
  // Finish. Raises EPixwellError "Destination graphic too small" for a width or height below
  // 2 and NewImage's errors (nothing is planned then).
  std::size_t AddSize(std::int32_t width, std::int32_t height);

  // Size of the upright source.
  int SourceWidth() const { return source_width_; }
  int SourceHeight() const { return source_height_; }

  // The horizontal passes of every planned size, the source read once.
  void RunRows();

  // Re-creates destination as the planned size's image (the format and palette above, the
  // upright source's resolution) and runs its vertical pass; the work image is released.
  // Raises NewImage's errors. REQUIRES: RunRows has run; each number is finished once.
  void Finish(std::size_t size, TDibGraphic& destination);

 private:
  struct Planned;

  const TDibGraphic* source_;
  int orientation_;
  TResizeFilter filter_;
  // What the destinations need of the source once it may be gone.
  int source_width_ = 0;  // upright
  int source_height_ = 0;
  TImageFormat format_;
  TPalette palette_;
  int xdpi_ = 0;
  int ydpi_ = 0;
  std::vector<std::unique_ptr<Planned>> planned_;
};

}  // namespace fotoloom
