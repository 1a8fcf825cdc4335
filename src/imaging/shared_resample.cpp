#include "imaging/shared_resample.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <mutex>
#include <new>

#include "imaging/contributors.h"
#include "imaging/oriented_source.h"

namespace fotoloom {
namespace {

// The taps of one pass. A catalog's photos mostly share a few sizes, and the weights of a
// photo's passes take about as long to compute as a tenth of its decode, so the last few
// tables made are kept for the photos that follow, by any thread.
std::shared_ptr<const TTapTable> TapsOf(int positions, int source_size, TResizeFilter filter) {
  struct Entry {
    int positions, source_size;
    TResizeFilter filter;
    std::shared_ptr<const TTapTable> taps;
  };
  static std::mutex mutex;
  static std::deque<Entry> kept;
  constexpr std::size_t kKept = 16;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    for (const Entry& e : kept) {
      if (e.positions == positions && e.source_size == source_size && e.filter == filter) {
        return e.taps;
      }
    }
  }
  auto taps = std::make_shared<const TTapTable>(MakeTapTable(BuildContributors(
      positions, source_size, ResampleScale(positions, source_size), FilterKernel(filter))));
  const std::lock_guard<std::mutex> lock(mutex);
  kept.push_front({positions, source_size, filter, taps});
  if (kept.size() > kKept) kept.pop_back();
  return taps;
}

// The last work row each output row needs (-1 for none).
std::vector<int> LastRows(const TTapTable& taps) {
  std::vector<int> last(static_cast<std::size_t>(taps.Positions()), -1);
  for (int i = 0; i < taps.Positions(); ++i)
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t)
      last[i] = std::max(last[i], taps.index[t]);
  return last;
}

// How many work rows a vertical pass over taps keeps at once when source rows arrive sixteen
// at a time (then one at a time for the last, fewer than sixteen) and each output row is made,
// in order, as soon as its last row is there: rows a pending output still needs stay, and the
// ring of rows must also hold the ones arriving.
int RingRows(const TTapTable& taps, const std::vector<int>& last, int source_height) {
  const int positions = taps.Positions();
  std::vector<int> lowest_from(static_cast<std::size_t>(positions) + 1, INT_MAX);
  for (int i = positions - 1; i >= 0; --i) {
    int first = INT_MAX;
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t)
      first = std::min(first, taps.index[t]);
    lowest_from[i] = std::min(first, lowest_from[i + 1]);
  }
  int capacity = 1, next = 0;
  for (int s = 0; s < source_height;) {
    const int step = s + kBandRows <= source_height ? kBandRows : 1;
    capacity = std::max(capacity, s + step - std::min(lowest_from[next], s));
    s += step;
    while (next < positions && last[next] < s) ++next;
  }
  return std::min(capacity, source_height);
}

}  // namespace

struct TSharedResample::Planned {
  std::int32_t width;
  std::int32_t height;
  std::shared_ptr<const TTapTable> columns;  // horizontal pass
  std::shared_ptr<const TTapTable> rows;     // vertical pass
  std::vector<int> last_row;
  int ring_rows = 0;
  std::vector<std::uint8_t> ring;  // work rows y at y % ring_rows
  int next_out = 0;
  TDibGraphic dest;

  std::uint8_t* WorkRow(int y) {
    return ring.data() +
           static_cast<std::size_t>(y % ring_rows) * 3 * static_cast<std::size_t>(width);
  }
};

TSharedResample::TSharedResample(const TDibGraphic& source, int orientation, TResizeFilter filter,
                                 std::optional<TImageFormat> format, TLoopKind loops)
    : source_(&source),
      orientation_(orientation),
      filter_(filter),
      set_(KernelsFor(loops)),
      format_(format.value_or(source.Format())) {
  const bool turned = orientation >= 5 && orientation <= 8;
  source_width_ = turned ? source.Height() : source.Width();
  source_height_ = turned ? source.Width() : source.Height();
  xdpi_ = turned ? source.YDpi() : source.XDpi();
  ydpi_ = turned ? source.XDpi() : source.YDpi();
  Init(source.Format(), &source.Palette());
}

TSharedResample::TSharedResample(const TRowShape& shape, TResizeFilter filter,
                                 std::optional<TImageFormat> format, TLoopKind loops)
    : orientation_(shape.orientation),
      filter_(filter),
      set_(KernelsFor(loops)),
      source_width_(shape.width),
      source_height_(shape.height),
      format_(format.value_or(shape.format)) {
  // The resolution as an image made of the shape would report it (0 reads as the screen's).
  const auto stored_dpi = [](int dpi) {
    return PixelsPerMeterToDpi(DpiToPixelsPerMeter(dpi == 0 ? kScreenDpi : dpi));
  };
  xdpi_ = stored_dpi(shape.xdpi);
  ydpi_ = stored_dpi(shape.ydpi);
  const TPalette none;
  Init(shape.format, shape.palette ? shape.palette : &none);
  band_.resize(static_cast<std::size_t>(source_width_) * 3 * kBandRows);
  if (shape.format != ifColor16M || orientation_ == 2) {
    stored_row_.resize(static_cast<std::size_t>(source_width_) * 3);
  }
  if (shape.format != ifColor16M) {
    colours_.emplace();
    colours_->fill({0, 0, 0});  // an index past the palette's end reads as black
    if (shape.palette != nullptr) {
      for (std::size_t n = 0; n < shape.palette->size() && n < 256; ++n) {
        const TPaletteEntry& e = (*shape.palette)[n];
        (*colours_)[n] = {e.blue, e.green, e.red};
      }
    }
  }
}

TSharedResample::~TSharedResample() = default;

void TSharedResample::Init(TImageFormat source_format, const TPalette* palette) {
  if (format_ == source_format && palette != nullptr) palette_ = *palette;
  if (set_ != TKernelSet::kPortable) {
    block_ = AlignedBytes(static_cast<std::size_t>(source_width_) * 3 * kBandRows);
    horizontal_ = std::make_unique<THorizontalBlock>(set_);
  }
}

std::uint64_t TSharedResample::WorkBytes(int width, int height, int source_height,
                                         TResizeFilter filter) {
  if (width <= 1 || height <= 1 || source_height < 1) return 0;
  const std::shared_ptr<const TTapTable> taps = TapsOf(height, source_height, filter);
  const int rows = RingRows(*taps, LastRows(*taps), source_height);
  return static_cast<std::uint64_t>(rows) * 3 * static_cast<std::uint64_t>(width);
}

std::size_t TSharedResample::AddSize(std::int32_t width, std::int32_t height) {
  if (width <= 1 || height <= 1) throw EPixwellError("Destination graphic too small");
  auto size = std::make_unique<Planned>();
  size->width = width;
  size->height = height;
  size->dest.NewImage(width, height, format_, palette_.empty() ? nullptr : &palette_, xdpi_, ydpi_);
  size->columns = TapsOf(width, source_width_, filter_);
  size->rows = TapsOf(height, source_height_, filter_);
  size->last_row = LastRows(*size->rows);
  size->ring_rows = RingRows(*size->rows, size->last_row, source_height_);
  size->ring.resize(static_cast<std::size_t>(size->ring_rows) * 3 *
                    static_cast<std::size_t>(width));
  planned_.push_back(std::move(size));
  return planned_.size() - 1;
}

void TSharedResample::RunRows() {
  const TOrientedSource source(*source_, orientation_);
  std::vector<std::uint8_t> scratch[kBandRows];
  while (rows_done_ + kBandRows <= source_height_) {
    if (set_ != TKernelSet::kPortable) {
      source.LoadBlock(rows_done_, block_.get(), scratch);
      RunBlock(block_.get());
    } else {
      const std::uint8_t* rows[kBandRows];
      for (int r = 0; r < kBandRows; ++r) rows[r] = source.Row(rows_done_ + r, scratch[r]);
      RunBand(rows);
    }
  }
  while (rows_done_ < source_height_) RunRow(source.Row(rows_done_, scratch[0]));
  source_ = nullptr;
}

std::uint8_t* TSharedResample::NextRow() {
  if (!stored_row_.empty()) return stored_row_.data();
  return band_.data() + static_cast<std::size_t>(band_count_) * 3 * source_width_;
}

void TSharedResample::RowDone() {
  std::uint8_t* upright = band_.data() + static_cast<std::size_t>(band_count_) * 3 * source_width_;
  if (!stored_row_.empty()) {
    const int w = source_width_;
    const bool mirrored = orientation_ == 2;
    if (colours_) {
      for (int x = 0; x < w; ++x) {
        const auto& bgr =
            (*colours_)[stored_row_[static_cast<std::size_t>(mirrored ? w - 1 - x : x)]];
        std::copy(bgr.begin(), bgr.end(), upright + 3 * static_cast<std::size_t>(x));
      }
    } else {
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* in = stored_row_.data() + 3 * static_cast<std::size_t>(w - 1 - x);
        std::copy(in, in + 3, upright + 3 * static_cast<std::size_t>(x));
      }
    }
  }
  ++band_count_;
  if (rows_done_ + kBandRows > source_height_) {
    RunRow(upright);
    band_count_ = 0;
  } else if (band_count_ == kBandRows) {
    const std::uint8_t* rows[kBandRows];
    for (int r = 0; r < kBandRows; ++r)
      rows[r] = band_.data() + static_cast<std::size_t>(r) * 3 * source_width_;
    if (set_ != TKernelSet::kPortable) {
      TransposeRows(rows, 3 * source_width_, block_.get());
      RunBlock(block_.get());
    } else {
      RunBand(rows);
    }
    band_count_ = 0;
  }
}

void TSharedResample::RunBlock(const std::uint8_t* block) {
  for (const auto& size : planned_) {
    std::uint8_t* out[kBandRows];
    for (int r = 0; r < kBandRows; ++r) out[r] = size->WorkRow(rows_done_ + r);
    horizontal_->Run(block, *size->columns, out);
  }
  rows_done_ += kBandRows;
  Advance();
}

void TSharedResample::RunBand(const std::uint8_t* const rows[kBandRows]) {
  for (int r = 0; r < kBandRows; ++r) {
    for (const auto& size : planned_)
      HorizontalRow(set_, rows[r], *size->columns, size->WorkRow(rows_done_ + r));
  }
  rows_done_ += kBandRows;
  Advance();
}

void TSharedResample::RunRow(const std::uint8_t* bgr) {
  for (const auto& size : planned_)
    HorizontalRow(set_, bgr, *size->columns, size->WorkRow(rows_done_));
  ++rows_done_;
  Advance();
}

// Every output row whose work rows are all there, in order.
void TSharedResample::Advance() {
  for (const auto& size : planned_) {
    Planned& p = *size;
    const std::size_t n = 3 * static_cast<std::size_t>(p.width);
    while (p.next_out < p.height && p.last_row[p.next_out] < rows_done_) {
      const int i = p.next_out;
      const TTapTable& taps = *p.rows;
      const std::int32_t first = taps.start[i], count = taps.start[i + 1] - first;
      tap_rows_.resize(static_cast<std::size_t>(count));
      for (std::int32_t k = 0; k < count; ++k) tap_rows_[k] = p.WorkRow(taps.index[first + k]);
      const bool direct = p.dest.Format() == ifColor16M;
      if (out_.size() < n) out_.resize(n);
      if (set_ == TKernelSet::kPortable && sums_.size() < n) sums_.resize(n);
      std::uint8_t* out = direct ? p.dest.Row(i) : out_.data();
      VerticalRow(set_, tap_rows_.data(), taps.weight.data() + first, count, n, sums_.data(), out);
      if (!direct) StoreResampledRow(p.dest, i, out);
      ++p.next_out;
    }
    if (rows_done_ == source_height_) {
      // Every work row has been used.
      std::vector<std::uint8_t>().swap(p.ring);
    }
  }
}

void TSharedResample::Finish(std::size_t size, TDibGraphic& destination) {
  Planned& planned = *planned_[size];
  if (planned.next_out < planned.height) throw EPixwellError("Source graphic too small");
  destination.TakeOver(planned.dest);
}

}  // namespace fotoloom
