// Base of the image transforms (format conversion, resampling).
#pragma once

#include <functional>
#include <string>

#include "imaging/dib_graphic.h"

namespace fotoloom {

class TImageTransform;
// Called with a percentage 0..100, only when it differs from the last one reported.
using TProgressEvent = std::function<void(TImageTransform& sender, int percent)>;

class TImageTransform {
 public:
  TImageTransform() = default;
  virtual ~TImageTransform() = default;
  TImageTransform(const TImageTransform&) = delete;
  TImageTransform& operator=(const TImageTransform&) = delete;

  // Transforms image in place: ApplyOnDest into a temporary, which then replaces the image.
  virtual void Apply(TDibGraphic& image);
  // Reads source, re-creates destination. REQUIRES: &source != &destination.
  // The base raises EPixwellError "Method "ApplyOnDest" not implemented for <class> class".
  virtual void ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination);

  TProgressEvent ProgressEvent;

 protected:
  // Class name used in the base's "not implemented" message.
  virtual std::string ClassName() const { return "TImageTransform"; }
  // Reports percent through ProgressEvent when it changed since the last report.
  void Progress(int percent);
  void ResetProgress() { lastPercent_ = -1; }

 private:
  int lastPercent_ = -1;
};

}  // namespace fotoloom
