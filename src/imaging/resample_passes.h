// The two passes of the separable resampler. Both accumulate every channel of every pixel in
// single precision, one tap at a time in list order, each step the single rounding of
// byte x weight + sum (a fused multiply-add), and turn the sum into a byte by clamping to
// 0..255 and rounding halves to even. The vector loops keep that order for every pixel, so
// their output is bit-identical to the portable loops.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/contributors.h"
#include "imaging/dib_graphic.h"
#include "imaging/oriented_source.h"

namespace fotoloom {

// The non-zero entries of a pass's contributor lists, flattened: position p's taps are
// index[start[p]] .. index[start[p + 1] - 1] with their weights.
struct TTapTable {
  std::vector<std::int32_t> start;
  std::vector<std::int32_t> index;
  std::vector<float> weight;
  int Positions() const { return static_cast<int>(start.size()) - 1; }
};
TTapTable MakeTapTable(const std::vector<TContributorList>& lists);

// One accumulation step.
inline float AccumulateTap(float sum, std::uint8_t byte, float weight) {
  return std::fma(static_cast<float>(byte), weight, sum);
}

// Above 255 gives 255, below 0 gives 0, otherwise the nearest integer, halves to even.
inline std::uint8_t ClampToByte(float sum) {
  if (sum > 255.0f) return 255;
  if (sum < 0.0f) return 0;
  return static_cast<std::uint8_t>(std::nearbyint(sum));
}

enum class TLoopKind {
  kFastest,   // the widest vector loops the processor has, else the portable ones
  kPortable,  // plain loops
  kAvx2,      // 256-bit vector loops
  kAvx512,    // 512-bit vector loops
};

// True when this processor runs the loops (kFastest and kPortable always).
bool LoopsAvailable(TLoopKind loops);

// REQUIRES for each pass: LoopsAvailable(loops).

// The two passes over whole images, one pass at a time with the loops chosen; the resampler
// itself runs them a band of rows at a time (shared_resample.h), with the same bytes.

// Horizontal pass: work (taps.Positions() x upright source height, ifColor16M) from the
// upright rows of the source, any format; palette pixels are read as their palette colour.
// REQUIRES: every tap index lies inside the upright source width; work already has its size
// and format.
void ResampleRows(const TOrientedSource& source, const TTapTable& taps, TDibGraphic& work,
                  TLoopKind loops = TLoopKind::kFastest);

// Writes destination row y from its blue, green, red bytes; a palette destination stores each
// colour as its nearest palette entry.
void StoreResampledRow(TDibGraphic& dest, int y, const std::uint8_t* bgr);

// Vertical pass: dest (work width x taps.Positions()) from work (ifColor16M). A palette
// destination stores each colour as its nearest palette entry. REQUIRES: every tap index
// lies inside the work height; dest already has its size, format and palette.
void ResampleColumns(const TDibGraphic& work, const TTapTable& taps, TDibGraphic& dest,
                     TLoopKind loops = TLoopKind::kFastest);

}  // namespace fotoloom
