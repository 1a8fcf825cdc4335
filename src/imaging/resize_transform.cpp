#include "imaging/resize_transform.h"

#include <cstddef>

#include "imaging/oriented_source.h"
#include "imaging/shared_resample.h"

namespace fotoloom {

void TResizeTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination) {
  Progress(0);
  const TImageFormat format = ForceFormat ? TargetFormat : source.Format();
  // Copied first: destination may share nothing with source, but the palette must survive
  // the re-creation of destination either way.
  const TPalette palette = format == source.Format() ? source.Palette() : TPalette{};
  const bool turned = SourceTransposed();
  destination.NewImage(Width, Height, format, palette.empty() ? nullptr : &palette,
                       turned ? source.YDpi() : source.XDpi(), turned ? source.XDpi() : source.YDpi());
  if (Resample) {
    RunResampler(source, destination);
  } else {
    Stretch(source, destination);
  }
  Progress(100);
}

void TResizeTransform::RunResampler(const TDibGraphic& source, TDibGraphic& destination) {
  if (source.Empty() || source.Width() < 1 || source.Height() < 1) {
    throw EPixwellError("Source graphic too small");
  }
  TSharedResample resample(source, SourceOrientation, FilterKind, destination.Format());
  const std::size_t size = resample.AddSize(destination.Width(), destination.Height());
  Progress(5);
  resample.RunRows();
  Progress(90);
  resample.Finish(size, destination);
}

// Nearest source pixel for every destination pixel; palette indices are copied when source
// and destination share the format and the source is read as stored, colours otherwise.
void TResizeTransform::Stretch(const TDibGraphic& source, TDibGraphic& destination) const {
  if (source.Empty()) return;
  const TOrientedSource upright(source, SourceOrientation);
  const int sw = upright.Width();
  const int sh = upright.Height();
  const int dw = destination.Width();
  const int dh = destination.Height();
  const bool same_palette_format = HasPalette(source.Format()) &&
                                   source.Format() == destination.Format() &&
                                   !SourceTransposed() && SourceOrientation == 1;
  for (int y = 0; y < dh; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * sh / dh);
    for (int x = 0; x < dw; ++x) {
      const int sx = static_cast<int>(static_cast<std::int64_t>(x) * sw / dw);
      if (same_palette_format) {
        destination.SetIndex(x, y, source.GetIndex(sx, sy));
      } else {
        destination.SetColor(x, y, upright.Pixel(sx, sy));
      }
    }
  }
}

}  // namespace fotoloom
