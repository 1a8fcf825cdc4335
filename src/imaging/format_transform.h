// Conversion of an image to another pixel format. Only true colour is supported as a target:
// the catalog never reduces an image to a palette.
#pragma once

#include "imaging/image_transform.h"

namespace fotoloom {

class TImageFormatTransform : public TImageTransform {
 public:
  TImageFormat Format = ifColor16M;  // target
  bool ErrorDiffusion = true;        // kept for palette targets, which are refused
  bool OptimizePalette = true;

  // Does nothing when the image already has the target format.
  void Apply(TDibGraphic& image) override;
  // Destination becomes a true-colour copy of source with the source's resolution; a palette
  // pixel takes its palette colour. A palette target raises EPixwellError
  // "Conversion to palette formats is not supported"; an empty source empties destination.
  void ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination) override;

 protected:
  std::string ClassName() const override { return "TImageFormatTransform"; }
};

}  // namespace fotoloom
