#include "imaging/resample_passes.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

#include "imaging/pass_kernels.h"

namespace fotoloom {
void StoreResampledRow(TDibGraphic& dest, int y, const std::uint8_t* bgr) {
  const int width = dest.Width();
  if (dest.Format() == ifColor16M) {
    std::copy(bgr, bgr + static_cast<std::size_t>(width) * 3, dest.Row(y));
    return;
  }
  for (int x = 0; x < width; ++x, bgr += 3) dest.SetColor(x, y, MakeColor(bgr[2], bgr[1], bgr[0]));
}

TTapTable MakeTapTable(const std::vector<TContributorList>& lists) {
  TTapTable table;
  table.start.reserve(lists.size() + 1);
  table.start.push_back(0);
  for (const TContributorList& list : lists) {
    for (const TContributor& c : list) {
      // A zero weight adds nothing to a sum, and its index may lie outside the source.
      if (c.weight == 0.0f) continue;
      table.index.push_back(c.index);
      table.weight.push_back(c.weight);
    }
    table.start.push_back(static_cast<std::int32_t>(table.index.size()));
  }
  return table;
}

void ResampleRows(const TOrientedSource& source, const TTapTable& taps, TDibGraphic& work,
                  TLoopKind loops) {
  const TKernelSet set = KernelsFor(loops);
  const int height = source.Height();
  int y = 0;
  if (set != TKernelSet::kPortable && height >= kBandRows) {
    const auto block = AlignedBytes(static_cast<std::size_t>(source.Width()) * 3 * kBandRows);
    THorizontalBlock horizontal(set);
    std::vector<std::uint8_t> scratch[kBandRows];
    for (; y + kBandRows <= height; y += kBandRows) {
      source.LoadBlock(y, block.get(), scratch);
      std::uint8_t* out[kBandRows];
      for (int r = 0; r < kBandRows; ++r) out[r] = work.Row(y + r);
      horizontal.Run(block.get(), taps, out);
    }
  }
  std::vector<std::uint8_t> scratch;
  for (; y < height; ++y) HorizontalRow(set, source.Row(y, scratch), taps, work.Row(y));
}

void ResampleColumns(const TDibGraphic& work, const TTapTable& taps, TDibGraphic& dest,
                     TLoopKind loops) {
  const TKernelSet set = KernelsFor(loops);
  const std::size_t n = static_cast<std::size_t>(work.Width()) * 3;
  std::vector<float> sums(n);
  std::vector<std::uint8_t> out(n);
  std::vector<const std::uint8_t*> rows;
  for (int i = 0; i < taps.Positions(); ++i) {
    const std::int32_t first = taps.start[i], count = taps.start[i + 1] - first;
    rows.resize(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) rows[k] = work.Row(taps.index[first + k]);
    VerticalRow(set, rows.data(), taps.weight.data() + first, count, n, sums.data(), out.data());
    StoreResampledRow(dest, i, out.data());
  }
}

}  // namespace fotoloom
