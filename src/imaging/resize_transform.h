// Scaling an image to a requested size with a separable two-pass filter resampler.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/image_transform.h"
#include "imaging/resize_filters.h"

namespace fotoloom {

// The resampler (TSharedResample with one size) runs a horizontal pass into a true-colour work
// image of the destination width and the source height, then a vertical pass into the
// destination. Contributor lists are built once per pass; edges are mirrored; weights are used
// as computed, not normalised (a pixel's value scales with the sum of its weights, the clamp to
// 0..255 absorbs overshoot); every channel is summed in single precision. The pixel format never
// changes unless ForceFormat asks for it: a palette source gives a palette destination with the
// same palette, each computed colour stored as its nearest palette entry.
class TResizeTransform : public TImageTransform {
 public:
  std::int32_t Width = 300;   // destination size in pixels
  std::int32_t Height = 200;
  // Filter resampling; the plain stretch (false) copies the nearest source pixel instead.
  bool Resample = false;
  bool ForceFormat = false;   // true: the destination gets TargetFormat
  TImageFormat TargetFormat = ifColor16M;
  TResizeFilter FilterKind = rfTriangle;
  // EXIF orientation (2..8) of the source: the source is read as if it had been turned
  // upright first (width and height, resolution and pixels). For 8- and 24-bit sources the
  // result is that of ApplyExifOrientation followed by this transform, bit for bit, without
  // the turned copy. 1 and every other value read the source as stored.
  int SourceOrientation = 1;

  // Re-creates destination as Width x Height in the chosen format with the source's palette
  // (when the format is the source's) and resolution, then fills it. Raises EPixwellError
  // "Source graphic too small" for an empty source, then "Destination graphic too small"
  // for a width or height below 2 (resampling only; destination already re-created, its
  // pixels undefined), and NewImage's errors unchanged.
  // REQUIRES: &source != &destination.
  void ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination) override;

 protected:
  std::string ClassName() const override { return "TResizeTransform"; }

 private:
  void RunResampler(const TDibGraphic& source, TDibGraphic& destination);
  void Stretch(const TDibGraphic& source, TDibGraphic& destination) const;
  bool SourceTransposed() const { return SourceOrientation >= 5 && SourceOrientation <= 8; }
};

}  // namespace fotoloom
