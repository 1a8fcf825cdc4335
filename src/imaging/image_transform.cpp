#include "imaging/image_transform.h"

namespace fotoloom {

void TImageTransform::Apply(TDibGraphic& image) {
  TDibGraphic temporary;
  ApplyOnDest(image, temporary);
  image.TakeOver(temporary);
}

void TImageTransform::ApplyOnDest(const TDibGraphic&, TDibGraphic&) {
  throw EPixwellError("Method \"ApplyOnDest\" not implemented for " + ClassName() + " class");
}

void TImageTransform::Progress(int percent) {
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  if (ProgressEvent) ProgressEvent(*this, percent);
}

}  // namespace fotoloom
