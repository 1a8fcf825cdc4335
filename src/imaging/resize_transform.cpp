#include "imaging/resize_transform.h"

#include <cstddef>

#include "imaging/contributors.h"
#include "imaging/resample_passes.h"

namespace fotoloom {

void TResizeTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& destination) {
  Progress(0);
  const TImageFormat format = ForceFormat ? TargetFormat : source.Format();
  // Copied first: destination may share nothing with source, but the palette must survive
  // the re-creation of destination either way.
  const TPalette palette = format == source.Format() ? source.Palette() : TPalette{};
  destination.NewImage(Width, Height, format, palette.empty() ? nullptr : &palette,
                       source.XDpi(), source.YDpi());
  if (Resample) {
    RunResampler(source, destination);
  } else {
    Stretch(source, destination);
  }
  Progress(100);
}

void TResizeTransform::RunResampler(const TDibGraphic& source, TDibGraphic& destination) {
  const int sw = source.Empty() ? 0 : source.Width();
  const int sh = source.Empty() ? 0 : source.Height();
  if (sw < 1 || sh < 1) throw EPixwellError("Source graphic too small");
  const int dw = destination.Width();
  const int dh = destination.Height();
  if (dw <= 1 || dh <= 1) throw EPixwellError("Destination graphic too small");

  const TFilterKernel kernel = FilterKernel(FilterKind);
  TDibGraphic work;
  work.NewImage(dw, sh, ifColor16M, nullptr, 0, 0);

  {
    const TTapTable columns =
        MakeTapTable(BuildContributors(dw, sw, ResampleScale(dw, sw), kernel));
    Progress(5);
    ResampleRows(source, columns, work);
  }
  Progress(90);
  const TTapTable rows = MakeTapTable(BuildContributors(dh, sh, ResampleScale(dh, sh), kernel));
  ResampleColumns(work, rows, destination);
}

// Nearest source pixel for every destination pixel; palette indices are copied when source
// and destination share the format, colours otherwise.
void TResizeTransform::Stretch(const TDibGraphic& source, TDibGraphic& destination) const {
  if (source.Empty()) return;
  const int sw = source.Width();
  const int sh = source.Height();
  const int dw = destination.Width();
  const int dh = destination.Height();
  const bool same_palette_format =
      HasPalette(source.Format()) && source.Format() == destination.Format();
  for (int y = 0; y < dh; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * sh / dh);
    for (int x = 0; x < dw; ++x) {
      const int sx = static_cast<int>(static_cast<std::int64_t>(x) * sw / dw);
      if (same_palette_format) {
        destination.SetIndex(x, y, source.GetIndex(sx, sy));
      } else if (destination.Format() == ifColor16M && source.Format() == ifColor16M) {
        const std::uint8_t* s = source.Row(sy) + 3 * static_cast<std::size_t>(sx);
        std::uint8_t* d = destination.Row(y) + 3 * static_cast<std::size_t>(x);
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      } else {
        destination.SetColor(x, y, source.GetColor(sx, sy));
      }
    }
  }
}

}  // namespace fotoloom
