// Resampling one source into several sizes while reading it once, a band of rows at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/dib_graphic.h"
#include "imaging/pass_kernels.h"
#include "imaging/resample_passes.h"
#include "imaging/resize_filters.h"
#include "imaging/row_sink.h"

namespace fotoloom {

// The horizontal pass reads every source row; for a photo that reading costs about as much as
// one size's arithmetic, and holding the photo costs more memory than everything else. This
// runs the horizontal passes of every size over one reading of the source, sixteen rows at a
// time, and each size's vertical pass as soon as the rows it needs are there: a size keeps
// only the rows of its work image that its next output rows still need, and the source may be
// read as it is decoded (the rows of a TRowSink), never held whole. The bytes are those of
// the two passes over whole images (resample_passes.h). TResizeTransform's resampling is this
// with a single size.
class TSharedResample {
 public:
  // From a whole image, read as if turned upright by its EXIF orientation (2..8; any other
  // value reads it as stored). Destinations get format, or the source's format when there is
  // none, with the source's palette when the formats agree.
  // REQUIRES: source not empty; it outlives every AddSize and RunRows call.
  TSharedResample(const TDibGraphic& source, int orientation, TResizeFilter filter,
                  std::optional<TImageFormat> format = std::nullopt,
                  TLoopKind loops = TLoopKind::kFastest);
  // From rows handed over as they are decoded (NextRow and RowDone, as a TRowSink's): the
  // source is the shape's image, its rows arriving top first. REQUIRES:
  // TakesRowsOf(shape.orientation). The palette is copied.
  TSharedResample(const TRowShape& shape, TResizeFilter filter,
                  std::optional<TImageFormat> format = std::nullopt,
                  TLoopKind loops = TLoopKind::kFastest);
  ~TSharedResample();
  TSharedResample(const TSharedResample&) = delete;
  TSharedResample& operator=(const TSharedResample&) = delete;

  // Whether the upright rows of an image of this orientation come in its stored rows' order,
  // so that its rows can be taken as they are decoded.
  static bool TakesRowsOf(int orientation) { return orientation < 3 || orientation > 8; }

  // Bytes the rows a width x height destination keeps of its work image while a source of
  // source_height rows is read.
  static std::uint64_t WorkBytes(int width, int height, int source_height, TResizeFilter filter);

  // Plans one more destination size and makes its destination image and work rows; returns
  // its number for Finish. Raises EPixwellError "Destination graphic too small" for a width or
  // height below 2 and NewImage's errors (nothing is planned then). REQUIRES: no row has been
  // read yet.
  std::size_t AddSize(std::int32_t width, std::int32_t height);

  // The destinations' format.
  TImageFormat Format() const { return format_; }

  // Size of the upright source.
  int SourceWidth() const { return source_width_; }
  int SourceHeight() const { return source_height_; }

  // Every row of the whole image: both passes of every planned size.
  void RunRows();

  // The next stored row of a source taken as rows: where it goes (TRowSink::NextRow), then
  // RowDone once it is there, which runs it (and, every sixteen rows, the band) through the
  // passes. REQUIRES: the rows constructor; no more rows than the shape has.
  std::uint8_t* NextRow();
  void RowDone();

  // Hands over the planned size's finished image (the format and palette above, the upright
  // source's resolution). Raises EPixwellError "Source graphic too small" when not every
  // source row was read. Each number is finished once.
  void Finish(std::size_t size, TDibGraphic& destination);

 private:
  struct Planned;

  void Init(TImageFormat source_format, const TPalette* palette);
  void RunBand(const std::uint8_t* const rows[kBandRows]);
  void RunBlock(const std::uint8_t* block);
  void RunRow(const std::uint8_t* bgr);
  void Advance();

  const TDibGraphic* source_ = nullptr;  // whole source, until RunRows has read it
  int orientation_ = 1;
  TResizeFilter filter_;
  TKernelSet set_;
  int source_width_ = 0;  // upright
  int source_height_ = 0;
  TImageFormat format_;
  TPalette palette_;
  int xdpi_ = 0;
  int ydpi_ = 0;
  std::vector<std::unique_ptr<Planned>> planned_;
  int rows_done_ = 0;  // source rows through every horizontal pass

  // Rows taken from a decoder: sixteen upright rows as blue, green, red bytes, the stored row
  // as decoded when it is not that already, and the colours of palette pixels.
  std::vector<std::uint8_t> band_;
  int band_count_ = 0;
  std::vector<std::uint8_t> stored_row_;
  std::optional<std::array<std::array<std::uint8_t, 3>, 256>> colours_;
  std::unique_ptr<std::uint8_t[], TFreeAligned> block_;
  std::unique_ptr<THorizontalBlock> horizontal_;
  std::vector<float> sums_;
  std::vector<std::uint8_t> out_;
  std::vector<const std::uint8_t*> tap_rows_;
};

}  // namespace fotoloom
